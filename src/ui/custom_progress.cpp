#include "ui/custom_progress.h"

#include "res/resource_ids.h"
#include "ui/parent_background.h"
#include "ui/png_image.h"
#include "ui/ui_scale.h"

void CCustomProgress::LoadFillImage() {
    m_pFillImage = LoadPngImage(IDB_PROGRESS_FILL);
    m_nFillWidth = static_cast<int>(m_pFillImage->GetWidth());
    m_nFillHeight = static_cast<int>(m_pFillImage->GetHeight());
}

void CCustomProgress::PreSubclassWindow() { ModifyStyle(0, 0x0D); }  // SS_OWNERDRAW

BOOL CCustomProgress::OnEraseBkgnd(HDC) { return FALSE; }

void CCustomProgress::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Hwnd(), &paint);
    if (dc == nullptr) return;
    PaintParentBackground(Hwnd(), dc);
    if (m_pFillImage && m_nFillWidth > 0 && m_nFillHeight > 0 && m_fProgress > 0.0f) {
        const RECT client = GetClientRect();
        Gdiplus::Graphics graphics(dc);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        const Gdiplus::RectF destination(
            0.0f, 0.0f, static_cast<Gdiplus::REAL>(client.right) * m_fProgress,
            static_cast<Gdiplus::REAL>(m_nFillHeight) * GetUiScale());
        // Mirrored edges keep the stretched picture from fading into transparency at its rim.
        Gdiplus::ImageAttributes attributes;
        attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
        graphics.DrawImage(m_pFillImage.get(), destination, 0.0f, 0.0f,
                           static_cast<Gdiplus::REAL>(m_nFillWidth) * m_fProgress,
                           static_cast<Gdiplus::REAL>(m_nFillHeight), Gdiplus::UnitPixel,
                           &attributes);
    }
    ::EndPaint(Hwnd(), &paint);
}
