#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "framework/application.h"
#include "framework/gdiplus_session.h"

namespace {

class RecordingApp : public fw::Application {
public:
    explicit RecordingApp(bool runLoop) : runLoop_(runLoop) {}
    bool InitInstance() override {
        initialised = true;
        seenCommandLine = CommandLine();
        if (runLoop_) ::PostQuitMessage(0);  // the loop must end on the quit request
        return runLoop_;
    }
    int ExitInstance() override {
        exited = true;
        return 7;
    }
    bool initialised = false;
    bool exited = false;
    std::wstring seenCommandLine;

private:
    bool runLoop_;
};

TEST(Application, RunGoesThroughInitAndExitWithOrWithoutTheLoop) {
    for (bool runLoop : {false, true}) {
        RecordingApp app(runLoop);
        EXPECT_EQ(fw::Application::Current(), &app);
        EXPECT_EQ(fw::RunApplication(::GetModuleHandleW(nullptr), L"token=a", SW_SHOWNORMAL), 7);
        EXPECT_TRUE(app.initialised);
        EXPECT_TRUE(app.exited);
        EXPECT_EQ(app.seenCommandLine, L"token=a");
    }
    EXPECT_EQ(fw::Application::Current(), nullptr);
    EXPECT_EQ(fw::RunApplication(nullptr, nullptr, SW_SHOWNORMAL), 1);  // no application object
}

TEST(GdiplusSession, GdiplusWorksWhileTheSessionLives) {
    fw::GdiplusSession session;
    ASSERT_TRUE(session.IsStarted());
    Gdiplus::Bitmap bitmap(4, 4, PixelFormat32bppARGB);
    EXPECT_EQ(bitmap.GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(bitmap.GetWidth(), 4u);
}

}  // namespace
