#include "ui/skin_ui_dialog.h"

#include "ui/parent_background.h"

CSkinUIDialog::CSkinUIDialog(int templateId, HWND parent) : CDialogBase(templateId, parent) {}

void CSkinUIDialog::SetBackgroundImage(std::unique_ptr<Gdiplus::Bitmap> bitmap) {
    m_pBackground = std::move(bitmap);
    // The dialog paints under its children, so they repaint after it.
    if (Hwnd() != nullptr) {
        ::RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

BOOL CSkinUIDialog::ShouldPaintBackground(const RECT&) { return TRUE; }

BOOL CSkinUIDialog::OnInitDialog() {
    CDialogBase::OnInitDialog();
    ModifyStyleEx(0, 0x02080000);  // WS_EX_COMPOSITED | WS_EX_LAYERED
    // A layered window stays invisible until it has attributes: keep it fully opaque.
    ::SetLayeredWindowAttributes(Hwnd(), 0, 255, LWA_ALPHA);
    ModifyStyleEx(WS_EX_APPWINDOW, WS_EX_TOOLWINDOW);
    return TRUE;
}

LRESULT CSkinUIDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ParentBackgroundMessage()) {
        const RECT client = GetClientRect();
        DrawBackgroundForControl(Hwnd(), reinterpret_cast<HDC>(wParam),
                                 reinterpret_cast<HWND>(lParam), m_pBackground.get(),
                                 client.right + 1, client.bottom + 1);
        return TRUE;
    }
    return CDialogBase::WindowProc(message, wParam, lParam);
}

void CSkinUIDialog::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Hwnd(), &paint);
    if (dc == nullptr) return;
    {
        Gdiplus::Graphics graphics(dc);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        if (ShouldPaintBackground(paint.rcPaint) && m_pBackground) {
            const RECT client = GetClientRect();
            graphics.DrawImage(m_pBackground.get(), 0, 0, client.right + 1, client.bottom + 1);
        }
    }
    ::EndPaint(Hwnd(), &paint);
}

void CSkinUIDialog::AlignOnFrame() {
    if (m_pLinkedDialog != nullptr) m_pLinkedDialog->MoveBy(0, 0);
}

void CSkinUIDialog::OnSize(UINT type, int cx, int cy) {
    DefaultProc(WM_SIZE, type, MAKELPARAM(cx, cy));
    AlignOnFrame();
}

void CSkinUIDialog::OnShowWindow(BOOL show, UINT status) {
    DefaultProc(WM_SHOWWINDOW, show, status);
    AlignOnFrame();
}

void CSkinUIDialog::OnLButtonDown(UINT flags, POINT point) {
    if (m_bInitialized) {
        ::GetCursorPos(&m_ptLastCursor);
        m_bDragging = TRUE;
        ::SetCapture(Hwnd());
    }
    CDialogBase::OnLButtonDown(flags, point);
}

void CSkinUIDialog::OnMouseMove(UINT flags, POINT point) {
    if (m_bDragging && m_bInitialized) {
        POINT cursor = {};
        ::GetCursorPos(&cursor);
        const int dx = cursor.x - m_ptLastCursor.x;
        const int dy = cursor.y - m_ptLastCursor.y;
        m_ptLastCursor = cursor;
        // The content never moves itself: the frame moves both.
        if (m_pLinkedDialog != nullptr) m_pLinkedDialog->MoveBy(dx, dy);
    }
    CDialogBase::OnMouseMove(flags, point);
}

void CSkinUIDialog::OnLButtonUp(UINT flags, POINT point) {
    if (m_bDragging) {
        m_bDragging = FALSE;
        ::ReleaseCapture();
    }
    CDialogBase::OnLButtonUp(flags, point);
}
