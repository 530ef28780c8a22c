#include <gtest/gtest.h>

#include <functional>

#include "framework/dialog.h"
#include "framework/gdiplus_session.h"
#include "res/resource_ids.h"
#include "ui/message_box.h"
#include "ui/skin_dialog.h"
#include "ui/window_placement.h"

namespace {

// A window of the framework's own class that counts its timer ticks and posted messages.
class Ticker : public fw::Window {
public:
    int ticks = 0;
    int posted = 0;
    std::function<void(int)> onTick;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP) {
            ++posted;
            return 0;
        }
        return fw::Window::WindowProc(message, wParam, lParam);
    }

protected:
    void OnTimer(UINT_PTR) override {
        ++ticks;
        ::PostMessageW(Hwnd(), WM_APP, 0, 0);
        if (onTick) onTick(ticks);
    }
};

class OwnerDrawCounter : public fw::Window {
public:
    int drawn = 0;
    void DrawItem(const DRAWITEMSTRUCT&) override { ++drawn; }

protected:
    void PreSubclassWindow() override { ModifyStyle(0, BS_OWNERDRAW); }
};

class InitCounter : public fw::Dialog {
public:
    InitCounter() : fw::Dialog(IDD_MESSAGE_BOX_CONTENT, nullptr) {}
    int initialised = 0;
    OwnerDrawCounter button;

protected:
    void DoDataExchange() override { button.SubclassDlgItem(IDC_MESSAGE_BOX_FIRST, Hwnd()); }
    BOOL OnInitDialog() override {
        ++initialised;
        return fw::Dialog::OnInitDialog();
    }
};

TEST(FrameworkDialog, AttachesAtInitDialogAndDetachesAtDestruction) {
    InitCounter dialog;
    ASSERT_TRUE(dialog.Create());
    HWND hwnd = dialog.Hwnd();
    HWND button = dialog.button.Hwnd();
    EXPECT_EQ(dialog.initialised, 1);
    EXPECT_EQ(fw::Window::FromHandle(hwnd), &dialog);
    EXPECT_EQ(fw::Window::FromHandle(button), &dialog.button);
    EXPECT_TRUE(::GetWindowLongPtrW(button, GWL_STYLE) & BS_OWNERDRAW);

    // Owner drawing reaches the control object.
    dialog.ShowWindow(SW_SHOWNA);
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_GT(dialog.button.drawn, 0);

    // Placement helpers on a top-level window.
    MoveWindowTo(hwnd, 40, 30);
    PlaceWindow(hwnd, 50, 60, 200, 100);
    const RECT r = dialog.GetWindowRect();
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_EQ(r.bottom - r.top, 100);

    dialog.DestroyWindow();
    EXPECT_EQ(dialog.Hwnd(), nullptr);
    EXPECT_EQ(dialog.button.Hwnd(), nullptr);
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(FrameworkDialog, ModalRunKeepsOtherWindowsTimersAndMessagesGoing) {
    fw::GdiplusSession gdiplus;
    Ticker ticker;
    ASSERT_TRUE(ticker.CreateEx(0, L"ticker", WS_POPUP, 0, 0, 0, 0, nullptr));
    size_t boxesSeen = 0;
    ticker.onTick = [&](int ticks) {
        if (ticks == 5) {
            boxesSeen = OpenMessageBoxes().size();
            // Ends the box as its first button would.
            if (!OpenMessageBoxes().empty()) OpenMessageBoxes().back()->EndDialog(1);
        }
    };
    ticker.SetTimer(7, 30);
    const int result = RunMessageBox(L"计时器", nullptr, L"", L"", 0, nullptr, 1);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(boxesSeen, 1u);
    EXPECT_GE(ticker.ticks, 5);
    EXPECT_GE(ticker.posted, 4);
    EXPECT_TRUE(OpenMessageBoxes().empty());
}

TEST(FrameworkDialog, NestedBoxHidesTheOuterOneUntilItEnds) {
    fw::GdiplusSession gdiplus;
    Ticker ticker;
    ASSERT_TRUE(ticker.CreateEx(0, L"ticker", WS_POPUP, 0, 0, 0, 0, nullptr));
    bool outerHiddenMeanwhile = false;
    bool outerShownAfter = false;
    int inner = 0;
    ticker.onTick = [&](int ticks) {
        const auto& boxes = OpenMessageBoxes();
        if (ticks == 3 && boxes.size() == 1) {
            CSkinDialog* outer = boxes[0];
            ticker.KillTimer(7);
            Ticker innerEnder;
            innerEnder.CreateEx(0, L"ender", WS_POPUP, 0, 0, 0, 0, nullptr);
            innerEnder.onTick = [&](int) {
                if (OpenMessageBoxes().size() == 2) {
                    outerHiddenMeanwhile = !::IsWindowVisible(outer->Hwnd()) &&
                                           !::IsWindowVisible(outer->m_pContent->Hwnd());
                    OpenMessageBoxes().back()->EndDialog(7);
                }
            };
            innerEnder.SetTimer(8, 30);
            inner = RunMessageBox(L"第二个", nullptr, L"", L"", 0, nullptr, 0);
            outerShownAfter = ::IsWindowVisible(outer->Hwnd()) &&
                              ::IsWindowVisible(outer->m_pContent->Hwnd());
            outer->EndDialog(1);
        }
    };
    ticker.SetTimer(7, 30);
    EXPECT_EQ(RunMessageBox(L"第一个", nullptr, L"", L"", 0, nullptr, 1), 1);
    EXPECT_EQ(inner, 7);
    EXPECT_TRUE(outerHiddenMeanwhile);
    EXPECT_TRUE(outerShownAfter);
}

TEST(FrameworkDialog, QuitRequestEndsTheRunAndReachesTheOuterLoop) {
    fw::GdiplusSession gdiplus;
    Ticker ticker;
    ASSERT_TRUE(ticker.CreateEx(0, L"ticker", WS_POPUP, 0, 0, 0, 0, nullptr));
    ticker.onTick = [&](int ticks) {
        if (ticks == 2) ::PostQuitMessage(3);
    };
    ticker.SetTimer(7, 30);
    EXPECT_EQ(RunMessageBox(L"退出", nullptr, L"", L"", 0, nullptr, 1), -1);
    MSG msg;
    bool quit = false;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            EXPECT_EQ(msg.wParam, 3u);
        }
    }
    EXPECT_TRUE(quit);
}

}  // namespace
