#include "ui/window_placement.h"

void MoveWindowTo(HWND window, int x, int y) {
    if (window == nullptr || !::IsWindow(window)) return;
    HDWP batch = ::BeginDeferWindowPos(1);
    if (batch == nullptr) return;
    batch = ::DeferWindowPos(batch, window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    if (batch != nullptr) ::EndDeferWindowPos(batch);
}

void PlaceWindow(HWND window, int x, int y, int cx, int cy) {
    MoveWindowTo(window, x, y);
    if (window == nullptr || !::IsWindow(window)) return;
    ::SetWindowPos(window, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE);
}

