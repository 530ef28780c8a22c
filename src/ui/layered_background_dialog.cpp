#include "ui/layered_background_dialog.h"

#include "framework/scoped_handle.h"
#include "res/resource_ids.h"
#include "ui/png_image.h"
#include "ui/ui_scale.h"

CLayeredBackgroundDialog::CLayeredBackgroundDialog(int imageId, HWND parent)
    : CDialogBase(IDD_LAYERED_BACKGROUND, parent), m_pImage(LoadPngImage(imageId)),
      m_nImageId(imageId) {
    const float scale = GetUiScale();
    m_nWidth = static_cast<int>(static_cast<float>(m_pImage->GetWidth()) * scale);
    m_nHeight = static_cast<int>(static_cast<float>(m_pImage->GetHeight()) * scale);
}

BOOL CLayeredBackgroundDialog::OnInitDialog() {
    CDialogBase::OnInitDialog();
    UpdateLayered();
    return TRUE;
}

void CLayeredBackgroundDialog::UpdateLayered() {
    if (m_bUpdating || Hwnd() == nullptr) return;
    m_bUpdating = TRUE;

    const RECT rect = GetWindowRect();
    POINT destination = {rect.left, rect.top};
    SIZE size = {m_nWidth, m_nHeight};

    fw::WindowDc windowDc(Hwnd());
    fw::UniqueMemoryDc memoryDc(::CreateCompatibleDC(windowDc.Get()));
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = m_nWidth;
    info.bmiHeader.biHeight = -m_nHeight;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    fw::UniqueBitmap dib;
    if (memoryDc && m_nWidth > 0 && m_nHeight > 0) {
        dib.Reset(::CreateDIBSection(windowDc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    }
    if (dib && bits != nullptr) {
        ZeroMemory(bits, static_cast<size_t>(m_nWidth) * static_cast<size_t>(m_nHeight) * 4);
        ModifyStyleEx(0, 0x0C080000);  // WS_EX_LAYERED, WS_EX_NOACTIVATE and bit 0x04000000
        fw::SelectedObject selected(memoryDc.Get(), dib.Get());
        {
            Gdiplus::Graphics graphics(memoryDc.Get());
            graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
            graphics.DrawImage(m_pImage.get(), 0, 0, m_nWidth, m_nHeight);
        }
        POINT source = {0, 0};
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(m_nAlpha), AC_SRC_ALPHA};
        ::UpdateLayeredWindow(Hwnd(), windowDc.Get(), &destination, &size, memoryDc.Get(),
                              &source, 0, &blend, ULW_ALPHA);
    }
    m_bUpdating = FALSE;
}

void CLayeredBackgroundDialog::ShowCentered() {
    ShowWindow(SW_SHOWNORMAL);
    RECT desktop = {};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    const RECT rect = GetWindowRect();
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int x = (desktop.right - desktop.left) / 2 - width / 2;
    const int y = (desktop.bottom - desktop.top) / 2 - height / 2;
    ::SetWindowPos(Hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CLayeredBackgroundDialog::OnMove(int, int) {}

void CLayeredBackgroundDialog::OnSize(UINT type, int cx, int cy) {
    CDialogBase::OnSize(type, cx, cy);
    UpdateLayered();
}

BOOL CLayeredBackgroundDialog::OnEraseBkgnd(HDC) { return TRUE; }

void CLayeredBackgroundDialog::OnLButtonDown(UINT flags, POINT point) {
    ::GetCursorPos(&m_ptLastCursor);
    m_bDragging = TRUE;
    ::SetCapture(Hwnd());
    SetForegroundWindow();
    CDialogBase::OnLButtonDown(flags, point);
}

void CLayeredBackgroundDialog::OnMouseMove(UINT flags, POINT point) {
    if (m_bDragging) {
        POINT cursor = {};
        ::GetCursorPos(&cursor);
        const int dx = cursor.x - m_ptLastCursor.x;
        const int dy = cursor.y - m_ptLastCursor.y;
        m_ptLastCursor = cursor;
        MoveBy(dx, dy);
    }
    CDialogBase::OnMouseMove(flags, point);
}

void CLayeredBackgroundDialog::OnLButtonUp(UINT flags, POINT point) {
    m_bDragging = FALSE;
    ::ReleaseCapture();
    CDialogBase::OnLButtonUp(flags, point);
}
