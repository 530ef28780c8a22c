#pragma once

#include <memory>

#include "framework/gdiplus_headers.h"
#include "ui/dialog_base.h"

// A dialog shown as a per-pixel-alpha layered window from one PNG picture, at the picture's
// scaled size. Drags of the mouse on it are reported to MoveBy; the subclass decides what moves.
// Its children are never drawn (UpdateLayeredWindow shows only the picture).
class CLayeredBackgroundDialog : public CDialogBase {
public:
    CLayeredBackgroundDialog(int imageId, HWND parent);

    // Redraws the window from the picture with the current m_nAlpha.
    void UpdateLayered();
    // Shows the window centred on the desktop.
    void ShowCentered();

    std::unique_ptr<Gdiplus::Image> m_pImage;
    int m_nImageId;
    int m_nWidth = 0;
    int m_nHeight = 0;
    BOOL m_bUpdating = FALSE;
    int m_nAlpha = 255;  // constant opacity over the per-pixel alpha
    BOOL m_bDragging = FALSE;
    POINT m_ptLastCursor = {0, 0};

protected:
    BOOL OnInitDialog() override;
    void OnMove(int x, int y) override;
    void OnSize(UINT type, int cx, int cy) override;
    BOOL OnEraseBkgnd(HDC dc) override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnMouseMove(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;
};
