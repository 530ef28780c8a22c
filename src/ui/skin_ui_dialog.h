#pragma once

#include <windows.h>

#include <memory>

#include "framework/gdiplus_headers.h"
#include "ui/dialog_base.h"

// Base of the parameter records handed to a content dialog.
class UIDataBase {
public:
    virtual ~UIDataBase() = default;
};

// A normally painted dialog laid over a layered frame (its linked dialog). It paints the piece of
// the frame's picture that lies under it, and drags move the frame, which moves it along.
class CSkinUIDialog : public CDialogBase {
public:
    explicit CSkinUIDialog(int templateId = 0, HWND parent = nullptr);

    // Takes the cut-out of the frame's picture to paint as background.
    void SetBackgroundImage(std::unique_ptr<Gdiplus::Bitmap> bitmap);
    virtual BOOL ShouldPaintBackground(const RECT& area);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    std::unique_ptr<Gdiplus::Bitmap> m_pBackground;
    std::unique_ptr<UIDataBase> m_pData;
    BOOL m_bDragging = FALSE;
    POINT m_ptLastCursor = {0, 0};

protected:
    BOOL OnInitDialog() override;
    void OnPaint() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnMouseMove(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;

    // Realigns this window on its frame.
    void AlignOnFrame();
};
