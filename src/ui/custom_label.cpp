#include "ui/custom_label.h"

#include <vector>

#include "ui/parent_background.h"
#include "ui/ui_scale.h"

void CCustomLabel::SetLabelText(const std::wstring& text) {
    ::SetWindowTextW(Hwnd(), text.c_str());
    Invalidate(TRUE);
}

void CCustomLabel::PreSubclassWindow() { ModifyStyle(0, 0x0D); }  // SS_OWNERDRAW

BOOL CCustomLabel::OnEraseBkgnd(HDC) { return FALSE; }

void CCustomLabel::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Hwnd(), &paint);
    if (dc == nullptr) return;
    PaintParentBackground(Hwnd(), dc);

    const int length = ::GetWindowTextLengthW(Hwnd());
    std::vector<wchar_t> text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    ::GetWindowTextW(Hwnd(), text.data(), length + 1);
    const RECT client = GetClientRect();
    {
        Gdiplus::Graphics graphics(dc);
        Gdiplus::FontFamily family(m_strFontName.c_str());
        Gdiplus::Font font(&family, static_cast<Gdiplus::REAL>(m_nFontSize) * GetUiScale(),
                           m_nFontStyle, static_cast<Gdiplus::Unit>(m_nFontUnit));
        Gdiplus::StringFormat format;
        format.SetAlignment(static_cast<Gdiplus::StringAlignment>(m_nAlign));
        format.SetLineAlignment(static_cast<Gdiplus::StringAlignment>(m_nLineAlign));
        const Gdiplus::RectF layout(0.0f, 0.0f, static_cast<Gdiplus::REAL>(client.right),
                                    static_cast<Gdiplus::REAL>(client.bottom));
        Gdiplus::SolidBrush brush{Gdiplus::Color(m_crText)};
        graphics.DrawString(text.data(), -1, &font, layout, &format, &brush);
    }
    ::EndPaint(Hwnd(), &paint);
}
