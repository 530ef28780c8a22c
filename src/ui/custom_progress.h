#pragma once

#include <memory>

#include "framework/gdiplus_headers.h"
#include "framework/window.h"

// A progress bar that shows the left part of its fill picture, growing with the fraction done;
// the rest of the bar shows the parent's picture. Bound to a template's static.
class CCustomProgress : public fw::Window {
public:
    // Loads the fill picture (PNG 141) and records its size.
    void LoadFillImage();

    float m_fProgress = 0.0f;  // 0..1, kept in range by the owner
    std::unique_ptr<Gdiplus::Image> m_pFillImage;
    int m_nFillWidth = 0;
    int m_nFillHeight = 0;

protected:
    void PreSubclassWindow() override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(HDC dc) override;
};
