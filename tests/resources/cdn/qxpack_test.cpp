// qxpack.exe as a publisher runs it.

#include <gtest/gtest.h>

#include "resources/cdn/cdn_fixture.h"

using namespace cdntest;

namespace {

std::string Read(const std::wstring& path) { return ReadAll(path); }

int Pack(const std::wstring& game, const std::wstring& launcher, const std::wstring& out, std::string* output) {
    return RunProcess(Quote(ProgramFolder() + L"qxpack.exe") + L" " + Quote(game) + L" " + Quote(launcher) + L" " +
                          Quote(out) + L" http://127.0.0.1:1/pc",
                      output);
}

TEST(QxPack, SameInputGivesTheSameBytes) {
    std::wstring folder = MakeTempFolder(L"qxpack");
    for (int i = 0; i < 20; ++i) {
        WriteBytes(folder + L"game\\d" + std::to_wstring(i % 3) + L"\\f" + std::to_wstring(i), std::string(i * 500, 'a' + i));
    }
    WriteBytes(folder + L"launcher\\launcher.exe", "launcher");
    std::string output;
    ASSERT_EQ(Pack(folder + L"game", folder + L"launcher", folder + L"one", &output), 0) << output;
    EXPECT_NE(output.find("package address: http://127.0.0.1:1/pc/config/qx_config.txt"), std::string::npos) << output;
    ASSERT_EQ(Pack(folder + L"game", folder + L"launcher", folder + L"two", &output), 0) << output;
    for (const wchar_t* file : {L"config\\qx_config.txt", L"1\\qx_game.qxpkg", L"launcher\\qx_game.qxpkg"}) {
        std::string one = Read(folder + L"one\\" + file);
        EXPECT_FALSE(one.empty());
        EXPECT_TRUE(one == Read(folder + L"two\\" + file)) << file;
    }
    EXPECT_NE(Read(folder + L"one\\config\\qx_config.txt").find("launcher.exe=" + Md5OfBytes("launcher") + "=launcher=0="),
              std::string::npos);
    RemoveTree(folder);
}

TEST(QxPack, RefusesNamesTheLauncherCannotCarry) {
    for (const wchar_t* name : {L"a=b.txt", L"data\\file.t"}) {
        std::wstring folder = MakeTempFolder(L"qxpack_refused");
        WriteBytes(folder + L"game\\ok.txt", "ok");
        WriteBytes(folder + L"game\\" + name, "bad");
        std::string output;
        EXPECT_EQ(Pack(folder + L"game", L"-", folder + L"out", &output), 1) << output;
        EXPECT_NE(output.find("refused name"), std::string::npos) << output;
        EXPECT_FALSE(Exists(folder + L"out\\config\\qx_config.txt"));
        RemoveTree(folder);
    }
    // The launcher's own records cannot be launcher files.
    std::wstring folder = MakeTempFolder(L"qxpack_reserved");
    WriteBytes(folder + L"game\\ok.txt", "ok");
    WriteBytes(folder + L"launcher\\launcher_manifest.txt", "x=y");
    std::string output;
    EXPECT_EQ(Pack(folder + L"game", folder + L"launcher", folder + L"out", &output), 1) << output;
    RemoveTree(folder);
}

}  // namespace
