#pragma once

#include <memory>
#include <string>

#include "framework/gdiplus_headers.h"
#include "framework/window.h"

// A push button drawn from two PNG faces (normal; hot while pointed at or pressed) with a centred
// caption, bound to a template's button. The caption is the window text.
class CSkinButton : public fw::Window {
public:
    // Replaces the faces by the two PNG resources.
    void SetImages(int normalImageId, int hotImageId);

    std::unique_ptr<Gdiplus::Image> m_pNormalImage;
    std::unique_ptr<Gdiplus::Image> m_pHotImage;
    std::wstring m_strFontName = L"微软雅黑";
    int m_nFontSize = 10;  // before scaling
    int m_nFontStyle = 0;  // GDI+ font style
    int m_nFontUnit = 2;   // GDI+ unit, 2 = pixel
    Gdiplus::ARGB m_crText = 0xFFFFFFFF;
    BOOL m_bTracking = FALSE;
    int m_nState = 1;  // 1 normal, 2 pressed, 3 hover

    void DrawItem(const DRAWITEMSTRUCT& item) override;

protected:
    void PreSubclassWindow() override;
    BOOL OnEraseBkgnd(HDC dc) override;
    void OnMouseMove(UINT flags, POINT point) override;
    void OnMouseHover(UINT flags, POINT point) override;
    void OnMouseLeave() override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;

private:
    void Repaint() { Invalidate(TRUE); }
    bool PointerOver(POINT point) const;
};
