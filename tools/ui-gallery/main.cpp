#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "app/text_helpers.h"
#include "framework/gdiplus_session.h"
#include "gallery_report.h"
#include "gallery_scenes.h"
#include "ui/message_box.h"
#include "ui/ui_scale.h"

namespace {

constexpr wchar_t kUsage[] =
    L"usage: ui-gallery box [--text T] [--style N] [--first C] [--second C] [--option N]\n"
    L"                      [--second-box-file F [--second-box-text T] [--second-box-style N]]\n"
    L"       ui-gallery confirm\n"
    L"       ui-gallery progress [--value F] [--bar-width N]\n"
    L"       ui-gallery picture [--id N]   (a PNG as a draggable layered window)\n"
    L"  any scene: [--dpi N] [--screen-width N] (scale inputs; default: this screen's)\n"
    L"  \\n in a text is a line break. Prints 'result N' for a box (1 first button, 7 second,\n"
    L"  2 closed otherwise, -1 not created) and geometry lines while boxes are open.\n";

std::wstring Unescape(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'n') {
            out += L"\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

int ParseInt(const std::wstring& text) {
    // Hexadecimal styles (0x4000) are accepted as well as decimal ones.
    return static_cast<int>(std::wcstol(text.c_str(), nullptr, 0));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        Report(kUsage);
        return 2;
    }
    const std::wstring scene = argv[1];
    std::wstring text = L"确定要退出游戏吗？";
    std::wstring first;
    std::wstring second;
    int style = 1;
    int option = 0;
    int dpi = 0;
    int screenWidth = 0;
    float value = 0.5f;
    int barWidth = 516;
    int pictureId = 137;
    GalleryTriggers triggers;
    for (int i = 2; i < argc; ++i) {
        const std::wstring name = argv[i];
        if (i + 1 >= argc) {
            Report(L"missing value for " + name + L"\n" + kUsage);
            return 2;
        }
        const std::wstring arg = argv[++i];
        if (name == L"--text") text = Unescape(arg);
        else if (name == L"--style") style = ParseInt(arg);
        else if (name == L"--first") first = arg;
        else if (name == L"--second") second = arg;
        else if (name == L"--option") option = ParseInt(arg);
        else if (name == L"--dpi") dpi = ParseInt(arg);
        else if (name == L"--screen-width") screenWidth = ParseInt(arg);
        else if (name == L"--value") value = std::wcstof(arg.c_str(), nullptr);
        else if (name == L"--bar-width") barWidth = ParseInt(arg);
        else if (name == L"--id") pictureId = ParseInt(arg);
        else if (name == L"--second-box-file") triggers.secondBoxFile = arg;
        else if (name == L"--second-box-text") triggers.secondBoxText = Unescape(arg);
        else if (name == L"--second-box-style") triggers.secondBoxStyle = ParseInt(arg);
        else {
            Report(L"unknown option " + name + L"\n" + kUsage);
            return 2;
        }
    }

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    fw::GdiplusSession gdiplus;
    if (!gdiplus.IsStarted()) {
        Report(L"GDI+ did not start");
        return 3;
    }
    if (dpi != 0 || screenWidth != 0) {
        OverrideUiScaleInputs(dpi != 0 ? dpi : 96,
                              screenWidth != 0 ? screenWidth : ::GetSystemMetrics(SM_CXSCREEN));
    }
    Report(L"scale " + IntToText(static_cast<int64_t>(GetUiScale() * 1000.0f + 0.5f)));
    // The manifest declares the process DPI-aware, so the system does not stretch its windows.
    Report(L"dpi-aware " + IntToText(::IsProcessDPIAware() ? 1 : 0));

    if (scene == L"box") {
        StartGalleryReporter(triggers);
        const int result = RunMessageBox(text, nullptr, first, second, option, nullptr, style);
        Report(L"result " + IntToText(result));
        return 0;
    }
    if (scene == L"confirm") {
        StartGalleryReporter(triggers);
        return RunConfirmScene();
    }
    if (scene == L"progress") return RunProgressScene(barWidth, value);
    if (scene == L"picture") return RunPictureScene(pictureId);
    Report(L"unknown scene " + scene + L"\n" + kUsage);
    return 2;
}
