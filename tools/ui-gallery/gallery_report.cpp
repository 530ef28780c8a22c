#include "gallery_report.h"

#include <windows.h>

#include <cstdio>
#include <memory>

#include "app/text_helpers.h"
#include "framework/window.h"
#include "ui/message_box.h"
#include "ui/skin_dialog.h"
#include "ui/skin_message_box.h"

void Report(const std::wstring& line) {
    const std::string text = ToUtf8(line) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

namespace {

std::wstring RectText(HWND hwnd) {
    if (hwnd == nullptr || !::IsWindowVisible(hwnd)) return L"hidden";
    RECT r = {};
    ::GetWindowRect(hwnd, &r);
    return IntToText(r.left) + L"," + IntToText(r.top) + L"," + IntToText(r.right - r.left) + L"," +
           IntToText(r.bottom - r.top);
}

std::wstring BoxLine(size_t index, CSkinDialog* frame) {
    std::wstring line = L"box " + IntToText(static_cast<int64_t>(index)) + L" frame=" +
                        RectText(frame->Hwnd());
    auto* content = dynamic_cast<CSkinMessageBox*>(frame->m_pContent.get());
    if (content == nullptr) return line;
    line += L" content=" + RectText(content->Hwnd());
    line += L" first=" + RectText(content->m_btnFirst.Hwnd());
    line += L" second=" + RectText(content->m_btnSecond.Hwnd());
    line += L" text=" + RectText(content->m_lblText.Hwnd());
    line += L" states=" + IntToText(content->m_btnFirst.m_nState) + L"," +
            IntToText(content->m_btnSecond.m_nState);
    return line;
}

class Reporter : public fw::Window {
public:
    explicit Reporter(const GalleryTriggers& triggers) : triggers_(triggers) {}

protected:
    void OnTimer(UINT_PTR id) override {
        if (id != 1) return;
        std::wstring lines;
        const auto& boxes = OpenMessageBoxes();
        for (size_t i = 0; i < boxes.size(); ++i) lines += BoxLine(i, boxes[i]) + L"\n";
        if (lines.empty()) lines = L"box none\n";
        if (lines != last_) {
            last_ = lines;
            Report(L"geometry\n" + lines + L"end");
        }
        if (!triggers_.secondBoxFile.empty() && !boxes.empty() &&
            ::GetFileAttributesW(triggers_.secondBoxFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
            ::DeleteFileW(triggers_.secondBoxFile.c_str());
            triggers_.secondBoxFile.clear();
            // A nested box from inside a timer tick, as the launcher's flow opens them.
            const int result = RunMessageBox(triggers_.secondBoxText, nullptr, L"", L"", 0, nullptr,
                                             triggers_.secondBoxStyle);
            Report(L"second result " + IntToText(result));
        }
    }

private:
    GalleryTriggers triggers_;
    std::wstring last_;
};

}  // namespace

void StartGalleryReporter(const GalleryTriggers& triggers) {
    static std::unique_ptr<Reporter> reporter;  // lives until the process ends
    reporter = std::make_unique<Reporter>(triggers);
    if (reporter->CreateEx(0, L"gallery reporter", WS_POPUP, 0, 0, 0, 0, nullptr)) {
        reporter->SetTimer(1, 50);
    }
}
