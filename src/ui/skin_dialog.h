#pragma once

#include <memory>

#include "ui/layered_background_dialog.h"
#include "ui/skin_ui_dialog.h"

// The layered frame of a box. It runs the modal loop, creates its content window over its inner
// area and moves the two together.
class CSkinDialog : public CLayeredBackgroundDialog {
public:
    CSkinDialog(int imageId, HWND parent);
    ~CSkinDialog() override;

    // Sizes and places the content at the insets and gives it the picture under it.
    void LayoutContent();

    void MoveBy(int dx, int dy) override;
    int ShowMessageBox(HWND owner, const std::wstring& text, int style,
                       const std::wstring& firstButton, const std::wstring& secondButton,
                       int option) override;
    void ActivateLinked() override;

    std::unique_ptr<CSkinUIDialog> m_pContent;
    int m_nContentTemplate = 0;
    std::unique_ptr<RECT> m_pAnchorRect;  // screen area the frame is centred over, may be null

protected:
    BOOL OnInitDialog() override;
};
