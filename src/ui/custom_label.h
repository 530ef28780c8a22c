#pragma once

#include <string>

#include "framework/gdiplus_headers.h"
#include "framework/window.h"

// A static text drawn with GDI+ over its parent's picture, bound to a template's static.
class CCustomLabel : public fw::Window {
public:
    // Sets the text and repaints the control over a fresh copy of the parent's picture.
    void SetLabelText(const std::wstring& text);

    std::wstring m_strFontName = L"宋体";
    int m_nFontSize = 10;  // before scaling
    int m_nFontStyle = 0;
    int m_nFontUnit = 2;  // pixel
    Gdiplus::ARGB m_crText = 0xFFFFFFFF;
    int m_nAlign = 0;      // horizontal: 0 near, 1 centre, 2 far
    int m_nLineAlign = 0;  // vertical, same values

protected:
    void PreSubclassWindow() override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(HDC dc) override;
};
