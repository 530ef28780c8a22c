#include "gallery_scenes.h"

#include <windows.h>

#include <memory>

#include "app/text_helpers.h"
#include "gallery_report.h"
#include "res/resource_ids.h"
#include "ui/custom_progress.h"
#include "ui/dialog_base.h"
#include "ui/layered_background_dialog.h"
#include "ui/message_box.h"
#include "ui/png_image.h"
#include "ui/skin_ui_dialog.h"
#include "ui/ui_scale.h"

namespace {

void CentreOnDesktop(HWND hwnd, int width, int height) {
    const int x = ::GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
    const int y = ::GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
    ::SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Stands in for the launcher's main window: asks through a skinned box before it closes.
class ConfirmHost : public CDialogBase {
public:
    ConfirmHost() : CDialogBase(IDD_MAIN_HOST, nullptr) {}

    int ShowMessageBox(HWND, const std::wstring& text, int style, const std::wstring& first,
                       const std::wstring& second, int option) override {
        Report(L"confirm text=" + text + L" first=" + first + L" second=" + second +
               L" style=" + IntToText(style) + L" option=" + IntToText(option));
        const int result = RunMessageBox(text, std::make_unique<RECT>(GetWindowRect()), first,
                                         second, option, Hwnd(), style);
        Report(L"confirm result " + IntToText(result));
        return result;
    }

protected:
    BOOL OnInitDialog() override {
        CDialogBase::OnInitDialog();
        ::SetWindowTextW(Hwnd(), L"ui-gallery confirm");
        CentreOnDesktop(Hwnd(), ScalePixels(480), ScalePixels(240));
        const RECT r = GetWindowRect();
        Report(L"host=" + IntToText(r.left) + L"," + IntToText(r.top) + L"," +
               IntToText(r.right - r.left) + L"," + IntToText(r.bottom - r.top));
        return TRUE;
    }
    void OnBeforeClose() override { Report(L"closing"); }
};

class ProgressScene : public CSkinUIDialog {
public:
    ProgressScene(int barWidth, float progress)
        : CSkinUIDialog(IDD_MAIN_HOST, nullptr), barWidth_(barWidth), progress_(progress) {}

protected:
    BOOL OnInitDialog() override {
        CSkinUIDialog::OnInitDialog();
        // The groove of the main background with the bar where the launcher puts it.
        const int width = barWidth_ + 40;
        SetBackgroundImage(LoadPngBitmap(IDB_MAIN_BACKGROUND, 90, 230, width, 60));
        CentreOnDesktop(Hwnd(), ScalePixels(width), ScalePixels(60));
        HWND bar = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, ScalePixels(20),
                                     ScalePixels(22), ScalePixels(barWidth_), ScalePixels(14),
                                     Hwnd(), reinterpret_cast<HMENU>(IDC_MAIN_PROGRESS),
                                     fw::ResourceModule(), nullptr);
        progressBar_.Subclass(bar);
        progressBar_.LoadFillImage();
        progressBar_.m_fProgress = progress_;
        progressBar_.Invalidate(TRUE);
        RECT r = progressBar_.GetWindowRect();
        Report(L"progress bar=" + IntToText(r.left) + L"," + IntToText(r.top) + L"," +
               IntToText(r.right - r.left) + L"," + IntToText(r.bottom - r.top));
        return TRUE;
    }

private:
    int barWidth_;
    float progress_;
    CCustomProgress progressBar_;
};

std::wstring WindowPlace(HWND hwnd) {
    RECT r = {};
    ::GetWindowRect(hwnd, &r);
    return IntToText(r.left) + L"," + IntToText(r.top) + L"," + IntToText(r.right - r.left) + L"," +
           IntToText(r.bottom - r.top);
}

class PictureScene : public CLayeredBackgroundDialog {
public:
    explicit PictureScene(int pictureId) : CLayeredBackgroundDialog(pictureId, nullptr) {}

    void MoveBy(int dx, int dy) override {
        if (!m_bInitialized) return;
        const RECT r = GetWindowRect();
        ::SetWindowPos(Hwnd(), nullptr, r.left + dx, r.top + dy, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Report(L"picture=" + WindowPlace(Hwnd()));
    }

protected:
    BOOL OnInitDialog() override {
        CLayeredBackgroundDialog::OnInitDialog();
        ShowCentered();
        m_bInitialized = TRUE;
        Report(L"picture=" + WindowPlace(Hwnd()));
        return TRUE;
    }
};

}  // namespace

int RunPictureScene(int pictureId) {
    PictureScene scene(pictureId);
    const INT_PTR result = scene.DoModal();
    Report(L"closed " + IntToText(static_cast<int64_t>(result)));
    return 0;
}

int RunConfirmScene() {
    ConfirmHost host;
    const INT_PTR result = host.DoModal();
    Report(L"closed " + IntToText(static_cast<int64_t>(result)));
    return 0;
}

int RunProgressScene(int barWidth, float progress) {
    ProgressScene scene(barWidth, progress);
    const INT_PTR result = scene.DoModal();
    Report(L"closed " + IntToText(static_cast<int64_t>(result)));
    return 0;
}
