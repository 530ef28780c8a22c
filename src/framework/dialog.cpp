#include "framework/dialog.h"

namespace fw {

INT_PTR CALLBACK DialogAttachProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    auto* dialog = reinterpret_cast<Dialog*>(lParam);
    if (dialog == nullptr || Window::FromHandle(hwnd) != nullptr) return TRUE;
    const auto super = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowTrampoline)));
    dialog->Attach(hwnd, super);
    return dialog->OnInitDialog();
}

bool Dialog::Create(int templateId, HWND parent) {
    if (Hwnd() != nullptr) return false;
    templateId_ = templateId;
    parent_ = parent;
    HWND hwnd = ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(templateId), parent,
                                     DialogAttachProc, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

INT_PTR Dialog::DoModal() {
    if (Hwnd() != nullptr || modalRunning_) return -1;
    HWND owner = parent_ != nullptr && ::IsWindow(parent_) ? parent_ : nullptr;
    const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);

    modalRunning_ = true;
    modalEnded_ = false;
    modalResult_ = -1;
    HWND hwnd = ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(templateId_), owner,
                                     DialogAttachProc, reinterpret_cast<LPARAM>(this));
    if (hwnd != nullptr) RunModalLoop(hwnd);
    modalRunning_ = false;

    if (disableOwner) ::EnableWindow(owner, TRUE);
    if (hwnd != nullptr && ::IsWindow(hwnd)) {
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        if (owner != nullptr && ::GetActiveWindow() == hwnd) ::SetActiveWindow(owner);
        ::DestroyWindow(hwnd);
    }
    return modalResult_;
}

void Dialog::RunModalLoop(HWND hwnd) {
    // Like the system's dialogs, a template without WS_VISIBLE is shown once the loop first idles.
    bool showWhenIdle = (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) == 0;
    MSG msg;
    while (!modalEnded_) {
        if (!::IsWindow(hwnd)) {
            modalResult_ = -1;
            break;
        }
        if (showWhenIdle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            showWhenIdle = false;
            ::ShowWindow(hwnd, SW_SHOWNORMAL);
            ::UpdateWindow(hwnd);
            continue;
        }
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) {
            modalResult_ = -1;
            break;
        }
        if (got == 0) {
            // The outer loop must see the quit request too.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            modalResult_ = -1;
            break;
        }
        if (!PreTranslateThreadMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

void Dialog::EndDialog(INT_PTR result) {
    if (modalRunning_) {
        modalResult_ = result;
        modalEnded_ = true;
        // Wakes the loop should nothing else be queued.
        ::PostMessageW(Hwnd(), WM_NULL, 0, 0);
    } else if (Hwnd() != nullptr) {
        ::ShowWindow(Hwnd(), SW_HIDE);
    }
}

BOOL Dialog::PreTranslateMessage(MSG* msg) {
    // Keyboard navigation (Tab, arrows, default and cancel buttons) of the dialog manager.
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && Hwnd() != nullptr) {
        return ::IsDialogMessageW(Hwnd(), msg);
    }
    return FALSE;
}

LRESULT Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Window::WindowProc(message, wParam, lParam);
}

BOOL Dialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

BOOL Dialog::OnCommand(int id, int, HWND) {
    if (id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

void Dialog::PostNcDestroy() {
    // A window destroyed while its modal run is active ends the run.
    if (modalRunning_ && !modalEnded_) {
        modalEnded_ = true;
        modalResult_ = -1;
    }
}

}  // namespace fw
