#include "ui/parent_background.h"

UINT ParentBackgroundMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"trovan.ui.paint-parent-background");
    return message;
}

void PaintParentBackground(HWND control, HDC dc) {
    HWND parent = ::GetParent(control);
    if (parent == nullptr || dc == nullptr) return;
    ::SendMessageW(parent, ParentBackgroundMessage(), reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(control));
}

void DrawBackgroundForControl(HWND parent, HDC dc, HWND control, Gdiplus::Image* background,
                              int width, int height) {
    if (background == nullptr || dc == nullptr) return;
    POINT origin = {0, 0};
    ::MapWindowPoints(control, parent, &origin, 1);
    Gdiplus::Graphics graphics(dc);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.DrawImage(background, -origin.x, -origin.y, width, height);
}

