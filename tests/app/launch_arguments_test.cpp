#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <map>
#include <string>

#include "app/launch_arguments.h"
#include "app/local_layout.h"
#include "app/text_helpers.h"

namespace {

using Pairs = std::map<std::string, std::string>;

struct ArgumentTextCase {
    std::wstring commandLine;
    std::wstring modulePath;
    std::wstring text;
};

TEST(ArgumentText, RemovesOnlyTheExactQuotedPathAndTrims) {
    const std::wstring path = L"C:\\Games\\Launcher\\run.exe";
    const ArgumentTextCase cases[] = {
        {L"\"C:\\Games\\Launcher\\run.exe\" token=abc source=web", path, L"token=abc source=web"},
        {L"\"C:\\Games\\Launcher\\run.exe\"", path, L""},
        {L"  \"C:\\Games\\Launcher\\run.exe\"\t token=a \r\n", path, L"token=a"},
        // Unquoted or spelt differently: the path stays.
        {L"C:\\Games\\Launcher\\run.exe token=a", path, L"C:\\Games\\Launcher\\run.exe token=a"},
        {L"\"c:\\games\\launcher\\run.exe\" token=a", path, L"\"c:\\games\\launcher\\run.exe\" token=a"},
        // Every occurrence goes.
        {L"\"C:\\Games\\Launcher\\run.exe\" a=1 \"C:\\Games\\Launcher\\run.exe\" b=2", path, L"a=1  b=2"},
        // A path with spaces and "=" is removed whole.
        {L"\"C:\\My Games\\x=y\\run.exe\" token=t", L"C:\\My Games\\x=y\\run.exe", L"token=t"},
        {L" token=a ", L"", L"token=a"},
    };
    for (const ArgumentTextCase& c : cases) {
        EXPECT_EQ(ArgumentTextOf(c.commandLine, c.modulePath), c.text) << testing::PrintToString(c.commandLine);
    }
}

// The quoted path is gone even when it holds spaces and "=", so no stray pair comes from it;
// an unquoted path's pieces carry no "=" and are ignored.
TEST(ArgumentText, TheLaunchersOwnPathGivesNoPairs) {
    LaunchArgumentMap map;
    ParseArgumentPairs(ArgumentTextOf(L"\"C:\\a b\\k=v\\run.exe\" token=t", L"C:\\a b\\k=v\\run.exe"), &map);
    EXPECT_EQ(map.Pairs(), (Pairs{{"token", "t"}}));
    ParseArgumentPairs(ArgumentTextOf(L"C:\\Games\\run.exe token=t", L"C:\\Games\\run.exe"), &map);
    EXPECT_EQ(map.Pairs(), (Pairs{{"token", "t"}}));
}

struct PairsCase {
    std::wstring text;
    Pairs pairs;
};

TEST(ArgumentPairs, Table) {
    const PairsCase cases[] = {
        {L"--token=abc --source=web --sid=7", {{"sid", "7"}, {"source", "web"}, {"token", "abc"}}},
        {L"token=abc source=web sid=7", {{"sid", "7"}, {"source", "web"}, {"token", "abc"}}},
        {L"token=a1-b2 source=web", {{"source", "web"}, {"token", "a1"}}},  // the hyphen ends the value
        {L"token=x=y", {{"token", "x=y"}}},
        {L"token=first token=second", {{"token", "first"}}},
        {L"Token=abc", {{"Token", "abc"}}},
        {L"source=a%20b+c", {{"source", "a%20b+c"}}},  // no escapes resolved
        {L"token=a,sid=b,source=c,fcext=d", {{"token", "a,sid=b,source=c,fcext=d"}}},
        {L"=v token=t", {{"", "v"}, {"token", "t"}}},
        {L"a=1 \t b=2", {{"a", "1"}}},  // the lone tab ends the split
        {L"token= source=web", {{"source", "web"}, {"token", ""}}},
        {L"plain words only", {}},
        {L"", {}},
    };
    for (const PairsCase& c : cases) {
        LaunchArgumentMap map;
        map.Insert("stale", "entry");
        ParseArgumentPairs(c.text, &map);
        EXPECT_EQ(map.Pairs(), c.pairs) << testing::PrintToString(c.text);
    }
}

TEST(ArgumentPairs, MapReadsAndAnsiBytes) {
    LaunchArgumentMap map;
    ParseArgumentPairs(L"token=abc source= Token=X", &map);
    EXPECT_TRUE(map.Has("token"));
    EXPECT_TRUE(map.Has("source"));
    EXPECT_FALSE(map.Has("sid"));
    EXPECT_EQ(map.Value("sid"), "");
    EXPECT_EQ(map.Value("Token"), "X");
    // Values are held in the thread's ANSI code page.
    ParseArgumentPairs(L"name=\x4E2D", &map);
    EXPECT_EQ(map.Value("name"), WideToAnsi(L"\x4E2D"));
}

struct LookupCase {
    std::wstring text;
    std::wstring name;
    bool found;
    std::wstring value;
};

TEST(FindLaunchArgument, Table) {
    const LookupCase cases[] = {
        {L"Token=abc", L"token", true, L"abc"},
        {L"source=a%20b", L"source", true, L"a b"},
        {L"source=a+b%2Fc%2f", L"SOURCE", true, L"a b/c/"},
        {L"ENTRANCE=C:/Games/Launcher/run.exe", L"entrance", true, L"C:/Games/Launcher/run.exe"},
        {L"ENTRANCE=C:/My Games/run.exe", L"ENTRANCE", true, L"C:/My"},  // cut at the space
        {L"token=a1-b2", L"token", true, L"a1-b2"},                     // hyphens do not split here
        {L"--token=abc", L"token", false, L""},                         // the key is "--token"
        {L"token=first token=second", L"token", true, L"first"},
        {L"token=x=y", L"token", true, L"x=y"},
        {L"token= source=web", L"token", true, L""},
        {L"a=1 \t b=2", L"b", false, L""},
        {L"tokenabc", L"token", false, L""},
        {L"", L"token", false, L""},
    };
    for (const LookupCase& c : cases) {
        std::wstring value = L"untouched";
        EXPECT_EQ(FindLaunchArgumentIn(c.text, c.name, &value), c.found) << testing::PrintToString(c.text);
        EXPECT_EQ(value, c.found ? c.value : L"untouched") << testing::PrintToString(c.text);
    }
}

TEST(FindLaunchArgument, EscapedBytesAreReadInTheAnsiCodePage) {
    const std::string ansi = WideToAnsi(L"\x4E2D");
    std::wstring escaped = L"name=";
    for (unsigned char c : ansi) {
        wchar_t hex[4];
        swprintf(hex, 4, L"%%%02X", c);
        escaped += hex;
    }
    std::wstring value;
    ASSERT_TRUE(FindLaunchArgumentIn(escaped, L"name", &value));
    EXPECT_EQ(value, AnsiToWide(ansi));
}

TEST(FindLaunchArgumentBase64, DecodesTheFoundValue) {
    const std::wstring encoded = AnsiToWide(Base64Encode("token=a source=b"));
    std::wstring value = L"untouched";
    EXPECT_TRUE(FindLaunchArgumentBase64In(L"login_data=" + encoded, L"LOGIN_DATA", &value));
    EXPECT_EQ(value, L"token=a source=b");
    // Whatever the value decodes to, the lookup found it.
    EXPECT_TRUE(FindLaunchArgumentBase64In(L"LOGIN_DATA=!!!", L"LOGIN_DATA", &value));
    EXPECT_EQ(value, L"");
    value = L"untouched";
    EXPECT_FALSE(FindLaunchArgumentBase64In(L"token=a", L"LOGIN_DATA", &value));
    EXPECT_EQ(value, L"untouched");
}

TEST(LauncherReboot, OnlyTrueInAnyLetterCase) {
    EXPECT_TRUE(IsLauncherRebootIn(L"LAUNCHER_REBOOT=TRUE"));
    EXPECT_TRUE(IsLauncherRebootIn(L"token=a launcher_reboot=true"));
    EXPECT_TRUE(IsLauncherRebootIn(L"LAUNCHER_REBOOT=True"));
    EXPECT_FALSE(IsLauncherRebootIn(L"LAUNCHER_REBOOT=1"));
    EXPECT_FALSE(IsLauncherRebootIn(L"LAUNCHER_REBOOT=TRUEX"));
    EXPECT_FALSE(IsLauncherRebootIn(L"LAUNCHER_REBOOT="));
    EXPECT_FALSE(IsLauncherRebootIn(L"token=a"));
}

std::wstring LoginData(const std::string& text) { return L"LOGIN_DATA=" + AnsiToWide(Base64Encode(text)); }

TEST(ParseLaunchArguments, LoginDataReplacesTheCommandLineAfterASelfUpdate) {
    const PairsCase cases[] = {
        {L"LAUNCHER_REBOOT=TRUE " + LoginData("token=a source=b") + L" token=other sid=9", {{"source", "b"}, {"token", "a"}}},
        {L"launcher_reboot=true " + LoginData("token=a,sid=b,source=c,fcext=d"), {{"token", "a,sid=b,source=c,fcext=d"}}},
        // Without LOGIN_DATA, or without the reboot flag, the ordinary command line counts.
        {L"LAUNCHER_REBOOT=TRUE token=t source=s", {{"LAUNCHER_REBOOT", "TRUE"}, {"source", "s"}, {"token", "t"}}},
        {L"token=t " + LoginData("token=a source=b"), {{"LOGIN_DATA", Base64Encode("token=a source=b")}, {"token", "t"}}},
    };
    for (const PairsCase& c : cases) {
        LaunchArgumentMap map;
        ParseLaunchArgumentsIn(c.text, &map);
        EXPECT_EQ(map.Pairs(), c.pairs) << testing::PrintToString(c.text);
    }
}

TEST(Layout, PathsBesideTheLauncher) {
    EXPECT_EQ(DirectoryOfPath(L"C:\\Games\\Launcher\\run.exe"), L"C:\\Games\\Launcher\\");
    EXPECT_EQ(DirectoryOfPath(L"run.exe"), L"");
    EXPECT_EQ(GameDirectoryIn(L"C:\\Games\\Launcher\\"), L"C:\\Games\\Launcher\\game\\");
    EXPECT_EQ(GameExecutableIn(L"C:\\Games\\Launcher\\"), L"C:\\Games\\Launcher\\game\\zorn_game.exe");
}

// The public readers work on this very process: its path and its command line.
TEST(ProcessReaders, ReadTheProcessCommandLine) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    EXPECT_EQ(GetModulePath(), path);
    const std::wstring directory = GetModuleDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), L'\\');
    EXPECT_EQ(GetModulePath().compare(0, directory.size(), directory), 0);
    EXPECT_EQ(GetGameExecutablePath(), directory + L"game\\zorn_game.exe");
    EXPECT_EQ(GetArgumentText(), ArgumentTextOf(::GetCommandLineW(), GetModulePath()));
    EXPECT_FALSE(IsLauncherReboot());
    std::wstring value = L"untouched";
    EXPECT_FALSE(FindLaunchArgument(L"LAUNCHER_REBOOT", &value));
    EXPECT_FALSE(FindLaunchArgumentBase64(L"LOGIN_DATA", &value));
    EXPECT_EQ(value, L"untouched");
    LaunchArgumentMap map;
    ParseLaunchArguments(&map);
    LaunchArgumentMap expected;
    ParseArgumentPairs(GetArgumentText(), &expected);
    EXPECT_EQ(map.Pairs(), expected.Pairs());
}

}  // namespace
