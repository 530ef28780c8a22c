#pragma once

#include <windows.h>

namespace fw {

LRESULT CALLBACK WindowTrampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DialogAttachProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// A C++ object bound to one window of the user-interface thread. Every bound window runs the
// single trampoline, which hands each message to WindowProc; the standard WindowProc dispatches
// the common messages to the virtual handlers below, whose base versions let the window's
// original procedure run. The object must outlive its window; it is detached at WM_NCDESTROY.
class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Hwnd() const { return hwnd_; }
    bool Exists() const { return hwnd_ != nullptr && ::IsWindow(hwnd_) != FALSE; }

    // The object bound to a window, or null.
    static Window* FromHandle(HWND hwnd);

    // Binds an existing window (a control of a dialog template) to this object: PreSubclassWindow
    // runs first, then the window's procedure is replaced by the trampoline.
    bool Subclass(HWND hwnd);
    bool SubclassDlgItem(int controlId, HWND dialog);

    // Creates a window of the framework's own class, bound from WM_NCCREATE on.
    bool CreateEx(DWORD exStyle, const wchar_t* title, DWORD style, int x, int y, int width,
                  int height, HWND parent, HMENU menu = nullptr);
    void DestroyWindow();

    // Hooks: PreTranslateMessage sees queued messages of this window and its child windows before
    // they are dispatched (TRUE swallows the message); WindowProc sees every message.
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's original procedure (a control's class, the dialog manager, DefWindowProc).
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Owner drawing: the parent's WM_DRAWITEM reaches the control's object here.
    virtual void DrawItem(const DRAWITEMSTRUCT& item);

    // Thin wrappers over the window functions, for readability at the call sites.
    BOOL ShowWindow(int command) { return ::ShowWindow(hwnd_, command); }
    BOOL EnableWindow(BOOL enable) { return ::EnableWindow(hwnd_, enable); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(hwnd_); }
    BOOL Invalidate(BOOL erase = TRUE) { return ::InvalidateRect(hwnd_, nullptr, erase); }
    UINT_PTR SetTimer(UINT_PTR id, UINT milliseconds) { return ::SetTimer(hwnd_, id, milliseconds, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(hwnd_, id); }
    RECT GetWindowRect() const;
    RECT GetClientRect() const;
    void ModifyStyle(DWORD remove, DWORD add);
    void ModifyStyleEx(DWORD remove, DWORD add);

protected:
    // Called before a template's control is bound (for instance to add an owner-draw style).
    virtual void PreSubclassWindow() {}
    // Called after the window is gone and the object detached.
    virtual void PostNcDestroy() {}

    // Handlers of the standard dispatch; the base versions run the default processing.
    virtual int OnCreate(CREATESTRUCTW* create);
    virtual void OnPaint();
    virtual BOOL OnEraseBkgnd(HDC dc);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnShowWindow(BOOL show, UINT status);
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnMove(int x, int y);
    virtual void OnLButtonDown(UINT flags, POINT point);
    virtual void OnLButtonUp(UINT flags, POINT point);
    virtual void OnMouseMove(UINT flags, POINT point);
    virtual void OnMouseHover(UINT flags, POINT point);
    virtual void OnMouseLeave();
    // TRUE when the command was handled (no default processing then).
    virtual BOOL OnCommand(int id, int code, HWND control);

private:
    friend LRESULT CALLBACK WindowTrampoline(HWND, UINT, WPARAM, LPARAM);
    friend INT_PTR CALLBACK DialogAttachProc(HWND, UINT, WPARAM, LPARAM);

    void Attach(HWND hwnd, WNDPROC super);
    void Detach();

    HWND hwnd_ = nullptr;
    WNDPROC super_ = nullptr;
};

// The one window procedure of every bound window.
LRESULT CALLBACK WindowTrampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Offers a queued message to the PreTranslateMessage hooks of its window and of that window's
// parents up to the first top-level window. Message loops call it before dispatching.
BOOL PreTranslateThreadMessage(MSG* msg);

// The module whose resources (dialog templates, pictures) the framework loads.
HINSTANCE ResourceModule();

}  // namespace fw
