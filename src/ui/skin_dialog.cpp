#include "ui/skin_dialog.h"

#include "ui/message_box.h"
#include "ui/png_image.h"
#include "ui/ui_scale.h"
#include "ui/window_placement.h"

CSkinDialog::CSkinDialog(int imageId, HWND parent) : CLayeredBackgroundDialog(imageId, parent) {}

CSkinDialog::~CSkinDialog() {
    // The content window goes first: it is owned by the frame's window.
    m_pContent.reset();
    m_pAnchorRect.reset();
}

BOOL CSkinDialog::OnInitDialog() {
    CDialogBase::OnInitDialog();
    UpdateLayered();

    const RECT frame = GetWindowRect();
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HWND parent = Parent() != nullptr && ::IsWindow(Parent()) ? Parent() : nullptr;
    if (m_pAnchorRect || parent != nullptr) {
        RECT anchor = {};
        if (m_pAnchorRect) {
            anchor = *m_pAnchorRect;
        } else {
            ::GetWindowRect(parent, &anchor);
        }
        const int x = anchor.left + ((anchor.right - anchor.left) / 2 - width / 2);
        const int y = anchor.top + ((anchor.bottom - anchor.top) / 2 - height / 2);
        ::SetWindowPos(Hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        ShowCentered();
    }

    if (!m_pContent) m_pContent = std::make_unique<CSkinUIDialog>(m_nContentTemplate, Hwnd());
    m_pContent->m_bInitialized = m_bInitialized;
    m_pContent->SetLinkedDialog(this);
    if (m_pContent->Create(m_nContentTemplate, Hwnd())) m_pContent->ShowWindow(SW_SHOW);
    LayoutContent();

    // No taskbar button for a box.
    ModifyStyleEx(WS_EX_APPWINDOW, WS_EX_TOOLWINDOW);
    return TRUE;
}

void CSkinDialog::LayoutContent() {
    if (!m_pContent || m_pContent->Hwnd() == nullptr) return;
    const float scale = GetUiScale();
    const RECT frame = GetWindowRect();
    const CSkinUIDialog& content = *m_pContent;
    const int width = static_cast<int>(static_cast<float>(frame.right - frame.left) -
                                       scale * static_cast<float>(content.m_nInsetLeft +
                                                                  content.m_nInsetRight));
    const int height = static_cast<int>(static_cast<float>(frame.bottom - frame.top) -
                                        scale * static_cast<float>(content.m_nInsetTop +
                                                                   content.m_nInsetBottom));
    const int left = static_cast<int>(scale * static_cast<float>(content.m_nInsetLeft));
    const int top = static_cast<int>(scale * static_cast<float>(content.m_nInsetTop));
    PlaceWindow(content.Hwnd(), frame.left, frame.top, width, height);
    MoveWindowTo(content.Hwnd(), frame.left + left, frame.top + top);

    // The piece of the frame's own picture under the content, in unscaled picture pixels.
    m_pContent->SetBackgroundImage(LoadPngBitmap(
        m_nImageId, static_cast<int>(static_cast<float>(left) / scale),
        static_cast<int>(static_cast<float>(top) / scale),
        static_cast<int>(static_cast<float>(width) / scale),
        static_cast<int>(static_cast<float>(height) / scale)));
}

void CSkinDialog::MoveBy(int dx, int dy) {
    if (!m_bInitialized || Hwnd() == nullptr) return;
    const float scale = GetUiScale();
    const RECT frame = GetWindowRect();
    const int x = frame.left + dx;
    const int y = frame.top + dy;
    HDWP batch = ::BeginDeferWindowPos(2);
    if (batch == nullptr) return;
    const UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    batch = ::DeferWindowPos(batch, Hwnd(), nullptr, x, y, 0, 0, flags);
    if (batch != nullptr && m_pContent && m_pContent->Hwnd() != nullptr) {
        batch = ::DeferWindowPos(
            batch, m_pContent->Hwnd(), nullptr,
            x + static_cast<int>(scale * static_cast<float>(m_pContent->m_nInsetLeft)),
            y + static_cast<int>(scale * static_cast<float>(m_pContent->m_nInsetTop)), 0, 0, flags);
    }
    if (batch != nullptr) ::EndDeferWindowPos(batch);
}

int CSkinDialog::ShowMessageBox(HWND, const std::wstring& text, int style,
                                const std::wstring& firstButton, const std::wstring& secondButton,
                                int option) {
    HWND content = m_pContent ? m_pContent->Hwnd() : nullptr;
    EnableWindow(FALSE);
    if (content != nullptr) ::EnableWindow(content, FALSE);
    HWND owner = content != nullptr ? content : Hwnd();
    auto anchor = std::make_unique<RECT>(GetWindowRect());
    const int result = RunMessageBox(text, std::move(anchor), firstButton, secondButton, option,
                                     owner, style);
    EnableWindow(TRUE);
    if (content != nullptr) ::EnableWindow(content, TRUE);
    return result;
}

void CSkinDialog::ActivateLinked() {
    if (m_pContent && m_pContent->Hwnd() != nullptr) m_pContent->SetForegroundWindow();
    SetForegroundWindow();
}
