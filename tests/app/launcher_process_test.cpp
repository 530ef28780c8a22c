// The real launcher.exe, started as a separate process, against each row of its start-up
// decision: it either ends at once without showing anything (exit code 0) or runs its window
// and holds the instance mutex.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <string>

#include "app/process_fixture.h"
#include "app/process_query.h"
#include "app/text_helpers.h"

namespace {

using namespace testing_support;

const wchar_t kMutexName[] = L"com.koltra.zorn.pc.flashFlashQXGameMutex";

bool InstanceMutexExists() {
    HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, kMutexName);
    if (mutex == nullptr) return false;
    ::CloseHandle(mutex);
    return true;
}

std::wstring LoginData(const std::string& pairs) { return L"LOGIN_DATA=" + AnsiToWide(Base64Encode(pairs)); }

// A launcher installed in "<temp>\Zorn Launcher\" with the stub beside it as its game.
class LauncherTest : public testing::Test {
protected:
    void SetUp() override {
        ::SetEnvironmentVariableW(L"ZORN_STUB_RECORD", nullptr);
        ::SetEnvironmentVariableW(L"ZORN_STUB_STOP", nullptr);
        ASSERT_FALSE(InstanceMutexExists()) << "another launcher of this prefix is running";
        launcherDirectory_ = folder_.Path() + L"Zorn Launcher\\";
        launcher_ = launcherDirectory_ + L"launcher.exe";
        game_ = launcherDirectory_ + L"game\\zorn_game.exe";
        ASSERT_TRUE(CopyFileTo(BinDirectory() + L"launcher.exe", launcher_));
        ASSERT_TRUE(CopyFileTo(BinDirectory() + L"zorn_game_stub.exe", game_));
    }

    void StartLauncher(ChildProcess* launcher, const std::wstring& arguments) {
        ASSERT_TRUE(launcher->Start(launcher_, L"\"" + launcher_ + L"\" " + arguments, launcherDirectory_))
            << "error " << launcher->StartError();
    }

    // Starts a copy of the stub at path (started under the name spelt as given) and waits
    // until it runs.
    void StartGame(ChildProcess* game, const std::wstring& path, const std::wstring& startAs) {
        if (path != game_) {
            ASSERT_TRUE(CopyFileTo(BinDirectory() + L"zorn_game_stub.exe", path));
        }
        ASSERT_TRUE(game->Start(startAs, L"\"" + startAs + L"\"", L"")) << "error " << game->StartError();
        StubRecord record;
        ASSERT_TRUE(WaitForStubRecord(path, &record));
    }

    // Nothing shown while it lives, exit code 0, and no mutex left unless another launcher
    // holds it.
    void ExpectEndsSilently(ChildProcess* launcher, const std::wstring& arguments, bool mutexHeldElsewhere = false) {
        bool shown = false;
        const bool ended = WaitUntil([&] {
            if (FindWindowOfProcess(launcher->Id()) != nullptr) shown = true;
            return !launcher->IsRunning();
        });
        ASSERT_TRUE(ended) << "still running with " << testing::PrintToString(arguments);
        DWORD code = 1;
        ASSERT_TRUE(launcher->WaitForExit(0, &code));
        EXPECT_EQ(code, 0u) << testing::PrintToString(arguments);
        EXPECT_FALSE(shown) << testing::PrintToString(arguments);
        EXPECT_EQ(InstanceMutexExists(), mutexHeldElsewhere) << testing::PrintToString(arguments);
    }

    // Its window is up and it holds the mutex; gives the window.
    HWND ExpectRuns(ChildProcess* launcher) {
        HWND window = nullptr;
        const bool up = WaitUntil([&] {
            window = FindWindowOfProcess(launcher->Id());
            return (window != nullptr && InstanceMutexExists()) || !launcher->IsRunning();
        });
        EXPECT_TRUE(up && launcher->IsRunning()) << "the launcher did not come up";
        return launcher->IsRunning() ? window : nullptr;
    }

    // Closing the window ends the run: exit code 0 and the mutex released.
    void CloseAndExpectExit(ChildProcess* launcher, HWND window) {
        ASSERT_NE(window, nullptr);
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        DWORD code = 1;
        ASSERT_TRUE(launcher->WaitForExit(kGenerousTimeoutMs, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_TRUE(WaitUntil([] { return !InstanceMutexExists(); }));
    }

    TempFolder folder_{L"launcher"};
    std::wstring launcherDirectory_;
    std::wstring launcher_;
    std::wstring game_;
};

TEST_F(LauncherTest, WithoutTokenOrSourceItEndsAtOnce) {
    const std::wstring cases[] = {
        L"token=abc",
        L"source=web",
        L"",
        L"Token=abc source=web",  // the map's keys are case-sensitive
        // After a self-update LOGIN_DATA replaces the whole command line.
        L"LAUNCHER_REBOOT=TRUE " + LoginData("token=a") + L" source=web",
    };
    for (const std::wstring& arguments : cases) {
        ChildProcess launcher;
        StartLauncher(&launcher, arguments);
        ExpectEndsSilently(&launcher, arguments);
    }
}

TEST_F(LauncherTest, WithTokenAndSourceItRunsUntilClosed) {
    ChildProcess launcher;
    StartLauncher(&launcher, L"--token= --source=web");  // an empty token is still present
    CloseAndExpectExit(&launcher, ExpectRuns(&launcher));
}

TEST_F(LauncherTest, AfterASelfUpdateTheLoginComesFromLoginData) {
    ChildProcess launcher;
    StartLauncher(&launcher, L"LAUNCHER_REBOOT=true " + LoginData("token=a source=b"));
    CloseAndExpectExit(&launcher, ExpectRuns(&launcher));
}

TEST_F(LauncherTest, ASecondLauncherEndsWhileTheFirstKeepsRunning) {
    ChildProcess first;
    StartLauncher(&first, L"token=abc source=web");
    const HWND window = ExpectRuns(&first);
    ChildProcess second;
    StartLauncher(&second, L"token=abc source=web");
    ExpectEndsSilently(&second, L"token=abc source=web", true);
    EXPECT_TRUE(first.IsRunning());
    EXPECT_EQ(FindWindowOfProcess(first.Id()), window);
    CloseAndExpectExit(&first, window);
}

TEST_F(LauncherTest, TheGameRunningFromItsOwnFolderEndsIt) {
    ChildProcess game;
    StartGame(&game, game_, game_);
    ChildProcess launcher;
    StartLauncher(&launcher, L"token=abc source=web");
    ExpectEndsSilently(&launcher, L"token=abc source=web");
}

TEST_F(LauncherTest, AfterASelfUpdateTheRunningGameDoesNotEndIt) {
    ChildProcess game;
    StartGame(&game, game_, game_);
    ChildProcess launcher;
    StartLauncher(&launcher, L"token=abc source=web LAUNCHER_REBOOT=TRUE");
    CloseAndExpectExit(&launcher, ExpectRuns(&launcher));
}

TEST_F(LauncherTest, AGameElsewhereOrUnderAnotherNameDoesNotCount) {
    ChildProcess elsewhere;
    StartGame(&elsewhere, folder_.Path() + L"Other\\game\\zorn_game.exe", folder_.Path() + L"Other\\game\\zorn_game.exe");
    ChildProcess renamed;
    const std::wstring copy = launcherDirectory_ + L"game\\zorn_game_copy.exe";
    StartGame(&renamed, copy, copy);
    ChildProcess launcher;
    StartLauncher(&launcher, L"token=abc source=web");
    CloseAndExpectExit(&launcher, ExpectRuns(&launcher));
}

TEST_F(LauncherTest, TheGamePathIsComparedIgnoringCase) {
    std::wstring upperName = launcherDirectory_ + L"game\\ZORN_GAME.EXE";
    ChildProcess game;
    StartGame(&game, game_, upperName);
    // The system reports the path as the game was started, differing from the expected one
    // in case only.
    const std::wstring image = GetProcessImagePath(game.Handle());
    ASSERT_NE(image, game_);
    ASSERT_EQ(_wcsicmp(image.c_str(), game_.c_str()), 0) << testing::PrintToString(image);
    ChildProcess launcher;
    StartLauncher(&launcher, L"token=abc source=web");
    ExpectEndsSilently(&launcher, L"token=abc source=web");
}

}  // namespace
