#include "ui/dialog_base.h"

#include <cstdlib>
#include <ctime>

CDialogBase::CDialogBase(int templateId, HWND parent) : fw::Dialog(templateId, parent) {}

CDialogBase::~CDialogBase() {
    m_encourageTexts.clear();
    m_pLinkedDialog = nullptr;
    m_bConfirmClose = TRUE;
}

void CDialogBase::MoveBy(int, int) {}

int CDialogBase::ShowMessageBox(HWND owner, const std::wstring& text, int style,
                                const std::wstring& firstButton, const std::wstring& secondButton,
                                int option) {
    if (m_pLinkedDialog != nullptr) {
        return m_pLinkedDialog->ShowMessageBox(owner, text, style, firstButton, secondButton,
                                               option);
    }
    return 1;  // a bare dialog never blocks a close
}

void CDialogBase::ShowLinked(int command) {
    if (m_pLinkedDialog != nullptr) {
        m_pLinkedDialog->ShowLinked(command);
    } else {
        ShowWindow(command);
    }
}

void CDialogBase::ActivateLinked() {
    if (m_pLinkedDialog != nullptr) {
        m_pLinkedDialog->ActivateLinked();
    } else {
        SetForegroundWindow();
    }
}

void CDialogBase::SetCloseConfirmation(BOOL on) {
    // A chain that loops back on itself ends where it started.
    for (CDialogBase* dialog = this; dialog != nullptr; dialog = dialog->m_pLinkedDialog) {
        dialog->m_bConfirmClose = on;
        if (dialog->m_pLinkedDialog == this) break;
    }
}

std::wstring CDialogBase::PickEncouragement() {
    if (m_encourageTexts.empty()) {
        m_encourageTexts = {
            L"万人同服，震撼全世界！可以再等等…",
            L"真实战斗场景！值得你的等待~",
            L"不再等等了吗… 纯3D特效战争场景哦！",
            L"玩命下载，很快的，您可以喝杯茶再等等~",
            L"无尽的战争，搞笑的战斗，值得拥有！",
            L"说什么好呢……还是再等等吧！",
        };
    }
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    const int number = std::rand();
    return m_encourageTexts[static_cast<size_t>(number) % m_encourageTexts.size()];
}

BOOL CDialogBase::PreTranslateMessage(MSG* msg) {
    // No launcher window can be closed or dismissed from the keyboard.
    if (msg->message == WM_KEYDOWN &&
        (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN || msg->wParam == VK_CANCEL)) {
        return TRUE;
    }
    return fw::Dialog::PreTranslateMessage(msg);
}

LRESULT CDialogBase::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_CLOSE) return fw::Dialog::WindowProc(message, wParam, lParam);

    if (m_pLinkedDialog != nullptr) {
        m_pLinkedDialog->SetCloseConfirmation(m_bConfirmClose);
        if (m_pLinkedDialog->WindowProc(message, wParam, lParam) == 1) return 1;
    } else if (m_bConfirmClose) {
        const int answer = ShowMessageBox(Hwnd(), PickEncouragement(), 4, L"退出", L"取消", 1);
        if (answer != 1) return 1;
    }
    OnBeforeClose();
    return fw::Dialog::WindowProc(message, wParam, lParam);
}

void CDialogBase::OnShowWindow(BOOL show, UINT status) {
    DefaultProc(WM_SHOWWINDOW, show, status);
    SetForegroundWindow();
}
