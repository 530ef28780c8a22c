#include "app/placeholder_host_window.h"

namespace {

const wchar_t kClassName[] = L"TrovanLauncherHost";

}  // namespace

void RunPlaceholderHostWindow(fw::Application* app) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = ::DefWindowProcW;  // closing destroys it, which ends the run
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassExW(&windowClass);  // fails harmlessly when already registered

    const HWND window = ::CreateWindowExW(0, kClassName, L"Zorn", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                          480, 320, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return;
    if (app != nullptr) app->SetMainWindow(window);
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);

    while (::IsWindow(window)) {
        MSG message;
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // Someone asked the thread to quit: end the run and leave the request for the caller.
            ::DestroyWindow(window);
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) break;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    if (app != nullptr) app->SetMainWindow(nullptr);
}
