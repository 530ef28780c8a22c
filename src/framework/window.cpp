#include "framework/window.h"

#include <windowsx.h>

namespace fw {
namespace {

// The object pointer lives in a window property, so any window class can carry one.
constexpr wchar_t kObjectProperty[] = L"trovan.fw.window";
constexpr wchar_t kWindowClass[] = L"TrovanFwWindow";

bool RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSEXW cls = {};
        cls.cbSize = sizeof(cls);
        cls.style = CS_DBLCLKS;
        cls.lpfnWndProc = WindowTrampoline;
        cls.hInstance = ResourceModule();
        cls.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        cls.lpszClassName = kWindowClass;
        return ::RegisterClassExW(&cls) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

POINT PointFrom(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

HINSTANCE ResourceModule() { return ::GetModuleHandleW(nullptr); }

Window::~Window() {
    // Detach first: the window's last messages must not reach an object being torn down.
    HWND hwnd = hwnd_;
    if (hwnd != nullptr) {
        Detach();
        if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    }
}

Window* Window::FromHandle(HWND hwnd) {
    if (hwnd == nullptr) return nullptr;
    return static_cast<Window*>(::GetPropW(hwnd, kObjectProperty));
}

void Window::Attach(HWND hwnd, WNDPROC super) {
    hwnd_ = hwnd;
    super_ = super;
    ::SetPropW(hwnd, kObjectProperty, this);
}

void Window::Detach() {
    if (hwnd_ == nullptr) return;
    ::RemovePropW(hwnd_, kObjectProperty);
    // Give a subclassed window its own procedure back, unless someone subclassed it after us.
    if (super_ != nullptr && reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd_, GWLP_WNDPROC)) ==
                                 WindowTrampoline) {
        ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super_));
    }
    hwnd_ = nullptr;
    super_ = nullptr;
}

bool Window::Subclass(HWND hwnd) {
    if (hwnd == nullptr || hwnd_ != nullptr || FromHandle(hwnd) != nullptr) return false;
    hwnd_ = hwnd;  // PreSubclassWindow may change styles through the object
    PreSubclassWindow();
    hwnd_ = nullptr;
    const auto super = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowTrampoline)));
    if (super == nullptr) return false;
    Attach(hwnd, super);
    return true;
}

bool Window::SubclassDlgItem(int controlId, HWND dialog) {
    return Subclass(::GetDlgItem(dialog, controlId));
}

bool Window::CreateEx(DWORD exStyle, const wchar_t* title, DWORD style, int x, int y, int width,
                      int height, HWND parent, HMENU menu) {
    if (hwnd_ != nullptr || !RegisterWindowClass()) return false;
    HWND hwnd = ::CreateWindowExW(exStyle, kWindowClass, title, style, x, y, width, height, parent,
                                  menu, ResourceModule(), this);
    return hwnd != nullptr;
}

void Window::DestroyWindow() {
    if (hwnd_ != nullptr && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

BOOL Window::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (super_ != nullptr) return ::CallWindowProcW(super_, hwnd_, message, wParam, lParam);
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_PAINT:
        // A paint into a given DC (printing) is left to the window's own procedure.
        if (wParam != 0) return DefaultProc(message, wParam, lParam);
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_SHOWWINDOW:
        OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
        return 0;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOVE:
        OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wParam), PointFrom(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(static_cast<UINT>(wParam), PointFrom(lParam));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), PointFrom(lParam));
        return 0;
    case WM_MOUSEHOVER:
        OnMouseHover(static_cast<UINT>(wParam), PointFrom(lParam));
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
        return DefaultProc(message, wParam, lParam);
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (wParam != 0 && item != nullptr) {
            if (Window* control = FromHandle(item->hwndItem)) {
                control->DrawItem(*item);
                return TRUE;
            }
        }
        return DefaultProc(message, wParam, lParam);
    }
    default:
        return DefaultProc(message, wParam, lParam);
    }
}

void Window::DrawItem(const DRAWITEMSTRUCT&) {}

int Window::OnCreate(CREATESTRUCTW* create) {
    return static_cast<int>(DefaultProc(WM_CREATE, 0, reinterpret_cast<LPARAM>(create)));
}

void Window::OnPaint() { DefaultProc(WM_PAINT, 0, 0); }

BOOL Window::OnEraseBkgnd(HDC dc) {
    return static_cast<BOOL>(DefaultProc(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0));
}

void Window::OnTimer(UINT_PTR id) { DefaultProc(WM_TIMER, id, 0); }

void Window::OnShowWindow(BOOL show, UINT status) { DefaultProc(WM_SHOWWINDOW, show, status); }

void Window::OnSize(UINT type, int cx, int cy) {
    DefaultProc(WM_SIZE, type, MAKELPARAM(cx, cy));
}

void Window::OnMove(int x, int y) { DefaultProc(WM_MOVE, 0, MAKELPARAM(x, y)); }

void Window::OnLButtonDown(UINT flags, POINT point) {
    DefaultProc(WM_LBUTTONDOWN, flags, MAKELPARAM(point.x, point.y));
}

void Window::OnLButtonUp(UINT flags, POINT point) {
    DefaultProc(WM_LBUTTONUP, flags, MAKELPARAM(point.x, point.y));
}

void Window::OnMouseMove(UINT flags, POINT point) {
    DefaultProc(WM_MOUSEMOVE, flags, MAKELPARAM(point.x, point.y));
}

void Window::OnMouseHover(UINT flags, POINT point) {
    DefaultProc(WM_MOUSEHOVER, flags, MAKELPARAM(point.x, point.y));
}

void Window::OnMouseLeave() { DefaultProc(WM_MOUSELEAVE, 0, 0); }

BOOL Window::OnCommand(int, int, HWND) { return FALSE; }

RECT Window::GetWindowRect() const {
    RECT rect = {};
    if (hwnd_ != nullptr) ::GetWindowRect(hwnd_, &rect);
    return rect;
}

RECT Window::GetClientRect() const {
    RECT rect = {};
    if (hwnd_ != nullptr) ::GetClientRect(hwnd_, &rect);
    return rect;
}

void Window::ModifyStyle(DWORD remove, DWORD add) {
    const LONG_PTR style = ::GetWindowLongPtrW(hwnd_, GWL_STYLE);
    ::SetWindowLongPtrW(hwnd_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(remove)) | add);
}

void Window::ModifyStyleEx(DWORD remove, DWORD add) {
    const LONG_PTR style = ::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    ::SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, (style & ~static_cast<LONG_PTR>(remove)) | add);
}

LRESULT CALLBACK WindowTrampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = Window::FromHandle(hwnd);
    if (window == nullptr) {
        if (message != WM_NCCREATE) return ::DefWindowProcW(hwnd, message, wParam, lParam);
        window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (window == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
        window->Attach(hwnd, nullptr);
    }
    if (message == WM_NCDESTROY) {
        // The object outlives its window: detach after the last message, then tell it.
        const LRESULT result = window->WindowProc(message, wParam, lParam);
        window->Detach();
        window->PostNcDestroy();
        return result;
    }
    // Nothing here touches the object after the handler: it may have ended a modal loop or
    // destroyed the window, after which the owner may delete the object.
    return window->WindowProc(message, wParam, lParam);
}

BOOL PreTranslateThreadMessage(MSG* msg) {
    for (HWND hwnd = msg->hwnd; hwnd != nullptr;) {
        if (Window* window = Window::FromHandle(hwnd)) {
            if (window->PreTranslateMessage(msg)) return TRUE;
        }
        if ((::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) == 0) break;
        hwnd = ::GetParent(hwnd);
    }
    return FALSE;
}

}  // namespace fw
