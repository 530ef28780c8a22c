#include "ui/skin_message_box.h"

#include "res/resource_ids.h"
#include "ui/ui_scale.h"

namespace {

// Moves a control to a rectangle given in unscaled pixels of the content's client area.
void PlaceScaled(fw::Window& control, int left, int top, int right, int bottom) {
    const int x0 = ScalePixels(left);
    const int y0 = ScalePixels(top);
    const int x1 = ScalePixels(right);
    const int y1 = ScalePixels(bottom);
    ::MoveWindow(control.Hwnd(), x0, y0, x1 - x0, y1 - y0, TRUE);
}

}  // namespace

bool IsSingleButtonStyle(int style) {
    return style == 0 || style == 0x10 || style == 0x20 || style == 0x30 || style == 0x40 ||
           style == 0x4000;
}

CSkinMessageBox::CSkinMessageBox() : CSkinUIDialog(IDD_MESSAGE_BOX_CONTENT, nullptr) {
    m_nInsetLeft = 20;
    m_nInsetTop = 18;
    m_nInsetRight = 20;
    m_nInsetBottom = 18;
}

const SkinMessageBoxData* CSkinMessageBox::Data() const {
    return dynamic_cast<const SkinMessageBoxData*>(m_pData.get());
}

void CSkinMessageBox::DoDataExchange() {
    m_btnFirst.SubclassDlgItem(IDC_MESSAGE_BOX_FIRST, Hwnd());
    m_btnSecond.SubclassDlgItem(IDC_MESSAGE_BOX_SECOND, Hwnd());
    m_lblText.SubclassDlgItem(IDC_MESSAGE_BOX_TEXT, Hwnd());
}

BOOL CSkinMessageBox::OnInitDialog() {
    CSkinUIDialog::OnInitDialog();
    // Closing a box never asks a question.
    SetCloseConfirmation(FALSE);
    const SkinMessageBoxData* data = Data();
    if (data == nullptr) return TRUE;

    m_lblText.m_crText = 0xFFC0C0C0;
    m_lblText.m_nFontSize = 18;
    m_lblText.m_nFontStyle = 1;
    m_lblText.m_nAlign = 1;
    m_lblText.m_nLineAlign = 1;
    m_lblText.SetLabelText(data->m_strText);

    const std::wstring first = data->m_strFirstButton.empty() ? L"确定" : data->m_strFirstButton;
    const std::wstring second = data->m_strSecondButton.empty() ? L"取消" : data->m_strSecondButton;
    ::SetWindowTextW(m_btnFirst.Hwnd(), first.c_str());
    m_btnFirst.m_crText = 0xFFD7F0FF;
    m_btnFirst.m_nFontSize = 18;
    m_btnFirst.m_nFontStyle = 0;
    ::SetWindowTextW(m_btnSecond.Hwnd(), second.c_str());
    m_btnSecond.m_crText = 0xFFC8D2E6;
    m_btnSecond.m_nFontSize = 18;
    m_btnSecond.m_nFontStyle = 0;

    if (data->m_nOption == 0) {
        m_btnFirst.SetImages(IDB_BUTTON_HIGHLIGHT, IDB_BUTTON_HIGHLIGHT_HOT);
        m_btnSecond.SetImages(IDB_BUTTON_DARK, IDB_BUTTON_DARK_HOT);
    } else {
        m_btnFirst.SetImages(IDB_BUTTON_DARK, IDB_BUTTON_DARK_HOT);
        m_btnSecond.SetImages(IDB_BUTTON_HIGHLIGHT, IDB_BUTTON_HIGHLIGHT_HOT);
    }

    PlaceScaled(m_lblText, 9, 12, 305, 80);
    PlaceScaled(m_btnFirst, 12, 91, 149, 138);
    PlaceScaled(m_btnSecond, 172, 91, 309, 138);
    ArrangeButtons();
    return TRUE;
}

void CSkinMessageBox::ArrangeButtons() {
    const SkinMessageBoxData* data = Data();
    if (data == nullptr || m_btnFirst.Hwnd() == nullptr || !IsSingleButtonStyle(data->m_nStyle)) {
        return;
    }
    m_btnSecond.ShowWindow(SW_HIDE);
    RECT button = m_btnFirst.GetWindowRect();
    ::MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&button), 2);
    const RECT client = GetClientRect();
    const int width = button.right - button.left;
    const int x = static_cast<int>(static_cast<float>(client.right - width) * 0.5f);
    ::SetWindowPos(m_btnFirst.Hwnd(), nullptr, x, button.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSkinMessageBox::OnShowWindow(BOOL show, UINT status) {
    DefaultProc(WM_SHOWWINDOW, show, status);
    SetForegroundWindow();
    AlignOnFrame();
    ArrangeButtons();
}

void CSkinMessageBox::OnSize(UINT type, int cx, int cy) {
    DefaultProc(WM_SIZE, type, MAKELPARAM(cx, cy));
    AlignOnFrame();
    ArrangeButtons();
}

BOOL CSkinMessageBox::OnCommand(int id, int code, HWND control) {
    if ((id == IDC_MESSAGE_BOX_FIRST || id == IDC_MESSAGE_BOX_SECOND) && code == BN_CLICKED) {
        const int result = id == IDC_MESSAGE_BOX_FIRST ? 1 : 7;
        fw::Dialog* runner = m_pLinkedDialog != nullptr ? static_cast<fw::Dialog*>(m_pLinkedDialog)
                                                        : static_cast<fw::Dialog*>(this);
        runner->EndDialog(result);
        return TRUE;  // the run is over: nothing more here
    }
    return CSkinUIDialog::OnCommand(id, code, control);
}
