#pragma once

#include <string>

#include "ui/custom_label.h"
#include "ui/skin_button.h"
#include "ui/skin_ui_dialog.h"

// The parameters of one message box.
class SkinMessageBoxData : public UIDataBase {
public:
    std::wstring m_strText;  // may contain line breaks
    // Button layout, after the system message-box constants: 0, 0x10, 0x20, 0x30, 0x40 and
    // 0x4000 give one button, every other value two.
    int m_nStyle = 0;
    std::wstring m_strFirstButton;   // empty: "确定"
    std::wstring m_strSecondButton;  // empty: "取消"
    int m_nOption = 0;               // highlighted button: 0 the first, otherwise the second
};

// True for the styles that show a single button.
bool IsSingleButtonStyle(int style);

// The content of a message box (template 105): the text and one or two buttons. The first button
// ends the frame's modal run with 1, the second with 7.
class CSkinMessageBox : public CSkinUIDialog {
public:
    CSkinMessageBox();

    // One-button styles hide the second button and centre the first.
    void ArrangeButtons();

    CSkinButton m_btnFirst;
    CSkinButton m_btnSecond;
    CCustomLabel m_lblText;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnSize(UINT type, int cx, int cy) override;
    BOOL OnCommand(int id, int code, HWND control) override;

private:
    const SkinMessageBoxData* Data() const;
};
