#include "ui/skin_button.h"

#include <commctrl.h>

#include <vector>

#include "ui/parent_background.h"
#include "ui/png_image.h"
#include "ui/ui_scale.h"

namespace {

std::wstring WindowText(HWND hwnd) {
    const int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int copied = ::GetWindowTextW(hwnd, buffer.data(), length + 1);
    return std::wstring(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

}  // namespace

// Moves and hover reports also arrive while the button holds the capture with the pointer
// elsewhere (after a press dragged outside, and as the system settles the pointer after the
// release): only a pointer over the button means hover.
bool CSkinButton::PointerOver(POINT point) const {
    const RECT client = GetClientRect();
    return ::PtInRect(&client, point) != FALSE;
}

void CSkinButton::SetImages(int normalImageId, int hotImageId) {
    m_pNormalImage = LoadPngImage(normalImageId);
    m_pHotImage = LoadPngImage(hotImageId);
}

void CSkinButton::PreSubclassWindow() { ModifyStyle(0, BS_OWNERDRAW); }

BOOL CSkinButton::OnEraseBkgnd(HDC) { return FALSE; }

void CSkinButton::OnMouseMove(UINT flags, POINT point) {
    if (!m_bTracking) {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = Hwnd();
        track.dwHoverTime = 10;
        if (::_TrackMouseEvent(&track)) m_bTracking = TRUE;
    }
    if (m_nState == 1 && PointerOver(point)) {
        m_nState = 3;
        Repaint();
    }
    fw::Window::OnMouseMove(flags, point);
}

void CSkinButton::OnMouseHover(UINT flags, POINT point) {
    if (m_nState == 1 && PointerOver(point)) {
        m_nState = 3;
        Repaint();
    }
    m_bTracking = FALSE;
    fw::Window::OnMouseHover(flags, point);
}

void CSkinButton::OnMouseLeave() {
    if (m_nState != 1) {
        m_nState = 1;
        Repaint();
    }
    m_bTracking = FALSE;
    fw::Window::OnMouseLeave();
}

void CSkinButton::OnLButtonDown(UINT flags, POINT point) {
    if (m_nState != 2) {
        m_nState = 2;
        Repaint();
    }
    fw::Window::OnLButtonDown(flags, point);
}

void CSkinButton::OnLButtonUp(UINT flags, POINT point) {
    if (m_nState != 1) {
        m_nState = 1;
        Repaint();
    }
    // The default processing sends the click, which may end the dialog: nothing after it.
    fw::Window::OnLButtonUp(flags, point);
}

void CSkinButton::DrawItem(const DRAWITEMSTRUCT& item) {
    if (!m_pNormalImage) return;
    PaintParentBackground(Hwnd(), item.hDC);
    const RECT client = GetClientRect();
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;

    Gdiplus::Graphics graphics(item.hDC);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    Gdiplus::Image* face = m_nState == 1 ? m_pNormalImage.get() : m_pHotImage.get();
    if (face != nullptr) graphics.DrawImage(face, 0, 0, width, height);

    const std::wstring caption = WindowText(Hwnd());
    Gdiplus::FontFamily family(m_strFontName.c_str());
    Gdiplus::Font font(&family, static_cast<Gdiplus::REAL>(m_nFontSize) * GetUiScale(),
                       m_nFontStyle, static_cast<Gdiplus::Unit>(m_nFontUnit));
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentNear);
    Gdiplus::RectF measured;
    if (graphics.MeasureString(caption.c_str(), -1, &font, Gdiplus::RectF(), &format, &measured) !=
        Gdiplus::Ok) {
        return;
    }
    const Gdiplus::RectF layout((static_cast<Gdiplus::REAL>(width) - measured.Width) * 0.5f,
                                (static_cast<Gdiplus::REAL>(height) - measured.Height) * 0.5f,
                                static_cast<Gdiplus::REAL>(width),
                                static_cast<Gdiplus::REAL>(height));
    Gdiplus::SolidBrush brush{Gdiplus::Color(m_crText)};
    graphics.DrawString(caption.c_str(), -1, &font, layout, &format, &brush);
}
