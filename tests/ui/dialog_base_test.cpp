#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "res/resource_ids.h"
#include "ui/dialog_base.h"

namespace {

const std::vector<std::wstring> kEncouragements = {
    L"万人同服，震撼全世界！可以再等等…",
    L"真实战斗场景！值得你的等待~",
    L"不再等等了吗… 纯3D特效战争场景哦！",
    L"玩命下载，很快的，您可以喝杯茶再等等~",
    L"无尽的战争，搞笑的战斗，值得拥有！",
    L"说什么好呢……还是再等等吧！",
};

// A hidden dialog that answers its close questions from a script and records what happened.
class ScriptedDialog : public CDialogBase {
public:
    ScriptedDialog(std::vector<std::wstring>* log, std::wstring name)
        : CDialogBase(IDD_MAIN_HOST, nullptr), log_(log), name_(std::move(name)) {}

    int ShowMessageBox(HWND owner, const std::wstring& text, int style, const std::wstring& first,
                       const std::wstring& second, int option) override {
        if (m_pLinkedDialog != nullptr) {
            return CDialogBase::ShowMessageBox(owner, text, style, first, second, option);
        }
        EXPECT_EQ(owner, Hwnd());
        questions.push_back(text);
        EXPECT_EQ(style, 4);
        EXPECT_EQ(first, L"退出");
        EXPECT_EQ(second, L"取消");
        EXPECT_EQ(option, 1);
        log_->push_back(name_ + L" asked");
        return answer;
    }
    void OnBeforeClose() override { log_->push_back(name_ + L" closes"); }

    int answer = 1;
    std::vector<std::wstring> questions;

private:
    std::vector<std::wstring>* log_;
    std::wstring name_;
};

class DialogBaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(background.Create());
        ASSERT_TRUE(foreground.Create());
    }

    std::vector<std::wstring> log;
    ScriptedDialog background{&log, L"background"};
    ScriptedDialog foreground{&log, L"foreground"};
};

TEST_F(DialogBaseTest, EncouragementsAreTheSixTextsInOrder) {
    const std::wstring picked = background.PickEncouragement();
    EXPECT_EQ(background.m_encourageTexts, kEncouragements);
    EXPECT_NE(std::find(kEncouragements.begin(), kEncouragements.end(), picked),
              kEncouragements.end());
}

TEST_F(DialogBaseTest, UnconfirmedCloseIsRefused) {
    background.answer = 7;
    EXPECT_EQ(background.WindowProc(WM_CLOSE, 0, 0), 1);
    ASSERT_EQ(background.questions.size(), 1u);
    EXPECT_NE(std::find(kEncouragements.begin(), kEncouragements.end(), background.questions[0]),
              kEncouragements.end());
    EXPECT_EQ(log, (std::vector<std::wstring>{L"background asked"}));
}

TEST_F(DialogBaseTest, LinkedDialogDecidesAndClosesFirst) {
    foreground.SetLinkedDialog(&background);
    background.answer = 7;
    EXPECT_EQ(foreground.WindowProc(WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(foreground.questions.empty());
    background.answer = 1;
    EXPECT_NE(foreground.WindowProc(WM_CLOSE, 0, 0), 1);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"background asked", L"background asked",
                                              L"background closes", L"foreground closes"}));
}

TEST_F(DialogBaseTest, SwitchedOffConfirmationReachesTheLinkedDialog) {
    foreground.SetLinkedDialog(&background);
    foreground.SetCloseConfirmation(FALSE);
    EXPECT_FALSE(background.m_bConfirmClose);
    background.answer = 7;  // never asked
    EXPECT_NE(foreground.WindowProc(WM_CLOSE, 0, 0), 1);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"background closes", L"foreground closes"}));

    // A close request copies the requester's setting down the chain.
    log.clear();
    foreground.m_bConfirmClose = TRUE;
    EXPECT_EQ(foreground.WindowProc(WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(background.m_bConfirmClose);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"background asked"}));
}

TEST_F(DialogBaseTest, BareDialogNeverBlocksAClose) {
    CDialogBase bare(IDD_MAIN_HOST, nullptr);
    EXPECT_EQ(bare.ShowMessageBox(nullptr, L"?", 1, L"", L"", 0), 1);
}

TEST_F(DialogBaseTest, EnterEscapeAndCtrlBreakAreSwallowed) {
    for (WPARAM key : {VK_ESCAPE, VK_RETURN, VK_CANCEL}) {
        MSG msg = {background.Hwnd(), WM_KEYDOWN, key, 0, 0, {0, 0}};
        EXPECT_TRUE(background.PreTranslateMessage(&msg)) << key;
    }
}

TEST_F(DialogBaseTest, LinkedChainThatLoopsDoesNotHang) {
    foreground.SetLinkedDialog(&background);
    background.SetLinkedDialog(&foreground);
    foreground.SetCloseConfirmation(FALSE);
    EXPECT_FALSE(background.m_bConfirmClose);
    EXPECT_FALSE(foreground.m_bConfirmClose);
    background.SetLinkedDialog(nullptr);
}

}  // namespace
