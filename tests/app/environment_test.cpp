#include <gtest/gtest.h>

#include <winsock2.h>
#include <iphlpapi.h>
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include "app/device_id.h"
#include "app/launch_arguments.h"
#include "app/process_fixture.h"
#include "app/process_query.h"
#include "app/process_start.h"
#include "app/text_helpers.h"

namespace {

using namespace testing_support;

std::wstring StubPath() { return BinDirectory() + L"zorn_game_stub.exe"; }

IP_ADAPTER_INFO Adapter(std::initializer_list<int> address) {
    IP_ADAPTER_INFO adapter = {};
    for (int byte : address) adapter.Address[adapter.AddressLength++] = static_cast<BYTE>(byte);
    return adapter;
}

TEST(DeviceId, AddressesAreJoinedAsUpperCaseHex) {
    IP_ADAPTER_INFO first = Adapter({0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E});
    IP_ADAPTER_INFO empty = Adapter({});
    IP_ADAPTER_INFO second = Adapter({0x00, 0x50, 0x56, 0xC0, 0x00, 0x08});
    first.Next = &empty;
    empty.Next = &second;
    EXPECT_EQ(AdapterAddressText(&first), L"001A2B3C4D5E005056C00008");
    EXPECT_EQ(Md5Hex(WideToAnsi(AdapterAddressText(&first))), L"0097DBAA9A29A90FFECD95F7C0E10E2A");
    empty.Next = nullptr;
    EXPECT_EQ(AdapterAddressText(&empty), L"");
    EXPECT_EQ(AdapterAddressText(nullptr), L"");
}

// The IPv4 adapters other than loopback, read through the newer interface, give the same text.
TEST(DeviceId, MatchesTheAdapterAddressesReadIndependently) {
    ULONG size = 16 * 1024;
    std::vector<uint64_t> buffer(size / 8);
    auto* addresses = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG result = ::GetAdaptersAddresses(AF_INET, flags, nullptr, addresses, &size);
    if (result == ERROR_BUFFER_OVERFLOW) {
        buffer.assign(size / 8 + 1, 0);
        addresses = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
        result = ::GetAdaptersAddresses(AF_INET, flags, nullptr, addresses, &size);
    }
    std::wstring hex;
    int adapters = 0;
    if (result == NO_ERROR) {
        for (const IP_ADAPTER_ADDRESSES* a = addresses; a != nullptr; a = a->Next) {
            if (a->IfType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
            ++adapters;
            for (ULONG i = 0; i < a->PhysicalAddressLength; ++i) {
                wchar_t digits[3];
                swprintf(digits, 3, L"%02X", a->PhysicalAddress[i]);
                hex += digits;
            }
        }
    }
    std::wstring id;
    GetDeviceId(&id);
    if (adapters == 0) {
        EXPECT_EQ(id, L"") << "no adapters: the identifier stays empty";
    } else {
        EXPECT_EQ(id, Md5Hex(WideToAnsi(hex))) << "addresses " << testing::PrintToString(hex);
        EXPECT_EQ(id.size(), 32u);
    }
    GetDeviceId(nullptr);  // no target: nothing to write, no crash
}

TEST(Processes, TheTestItselfIsListedWithItsImagePath) {
    const std::vector<DWORD> ids = ListProcessIds();
    EXPECT_NE(std::find(ids.begin(), ids.end(), ::GetCurrentProcessId()), ids.end());
    EXPECT_EQ(_wcsicmp(GetProcessImagePath(::GetCurrentProcess()).c_str(), GetModulePath().c_str()), 0);
    EXPECT_EQ(GetProcessImagePath(nullptr), L"");
    EXPECT_TRUE(IsProcessRunning(GetModulePath()));
}

// A list that fills the first request is asked for again with more room instead of being cut.
TEST(Processes, TheListIsNotCutWhenTheFirstRequestIsTooSmall) {
    const std::vector<DWORD> all = ListProcessIds();
    ASSERT_GT(all.size(), 2u);
    const std::vector<DWORD> grown = ListProcessIds(1);
    EXPECT_GT(grown.size(), 2u);
    EXPECT_NE(std::find(grown.begin(), grown.end(), ::GetCurrentProcessId()), grown.end());
}

TEST(Processes, IsProcessRunningComparesTheWholePathIgnoringCase) {
    TempFolder folder(L"running");
    const std::wstring game = folder.Path() + L"game\\zorn_game.exe";
    ASSERT_TRUE(CopyFileTo(StubPath(), game));
    EXPECT_FALSE(IsProcessRunning(game));
    ChildProcess stub;
    ASSERT_TRUE(stub.Start(game, L"\"" + game + L"\"", folder.Path())) << "error " << stub.StartError();
    StubRecord record;
    ASSERT_TRUE(WaitForStubRecord(game, &record));

    EXPECT_TRUE(IsProcessRunning(game));
    std::wstring upper = game;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(::towupper(c));
    EXPECT_TRUE(IsProcessRunning(upper));
    EXPECT_FALSE(IsProcessRunning(folder.Path() + L"other\\zorn_game.exe"));
    EXPECT_FALSE(IsProcessRunning(folder.Path() + L"game\\zorn_game"));
    EXPECT_FALSE(IsProcessRunning(L""));

    stub.Terminate();
    EXPECT_TRUE(WaitUntil([&] { return !IsProcessRunning(game); }));
}

// "<folder>\Program.exe" is where the system would look first for an unquoted
// "<folder>\Program Files\..." command line.
class StartProcessTest : public testing::Test {
protected:
    void SetUp() override {
        ::SetEnvironmentVariableW(L"ZORN_STUB_RECORD", nullptr);
        ::SetEnvironmentVariableW(L"ZORN_STUB_STOP", nullptr);
        gameDirectory_ = folder_.Path() + L"Program Files\\Zorn Game";
        game_ = gameDirectory_ + L"\\zorn_game.exe";
        decoy_ = folder_.Path() + L"Program.exe";
        ASSERT_TRUE(CopyFileTo(StubPath(), game_));
        ASSERT_TRUE(CopyFileTo(StubPath(), decoy_));
    }
    void TearDown() override {
        StopStubsAt(game_);
        StopStubsAt(decoy_);
    }

    TempFolder folder_{L"start"};
    std::wstring gameDirectory_;
    std::wstring game_;
    std::wstring decoy_;
};

TEST_F(StartProcessTest, TheChildGetsExactlyThePathAndTheArgumentsAndTheDirectory) {
    ASSERT_TRUE(StartProcess(game_, gameDirectory_, L"ENTRANCE=x"));
    // The process exists when the call returns: a started decoy would be seen now.
    EXPECT_TRUE(IsImageRunningNow(game_));
    EXPECT_FALSE(IsImageRunningNow(decoy_));
    StubRecord record;
    ASSERT_TRUE(WaitForStubRecord(game_, &record));
    EXPECT_EQ(record.commandLine, game_ + L" ENTRANCE=x");
    EXPECT_EQ(record.directory, gameDirectory_);
    EXPECT_FALSE(FileExists(folder_.Path() + L"stub_record.txt"));
}

TEST_F(StartProcessTest, WithoutArgumentsTheCommandLineIsThePathAlone) {
    ASSERT_TRUE(StartProcess(game_, gameDirectory_, L""));
    StubRecord record;
    ASSERT_TRUE(WaitForStubRecord(game_, &record));
    EXPECT_EQ(record.commandLine, game_);
}

// Shows that the fixture catches the fault: the same command line without the program named
// explicitly starts the decoy.
TEST_F(StartProcessTest, TheDecoyIsWhatAnUnnamedStartWouldRun) {
    std::wstring commandLine = game_ + L" ENTRANCE=x";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, gameDirectory_.c_str(),
                                 &startup, &info));
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    EXPECT_TRUE(IsImageRunningNow(decoy_));
    EXPECT_FALSE(IsImageRunningNow(game_));
}

TEST(StartProcess, AMissingExecutableFailsWithTheErrorOfTheOpen) {
    TempFolder folder(L"missing");
    ::SetLastError(0);
    EXPECT_FALSE(StartProcess(folder.Path() + L"game\\zorn_game.exe", folder.Path(), L"ENTRANCE=x"));
    const DWORD error = ::GetLastError();
    EXPECT_TRUE(error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND) << error;
    ::SetLastError(0);
    EXPECT_FALSE(StartProcess(folder.Path() + L"zorn_game.exe", folder.Path(), L""));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

const wchar_t kAppPathsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tessara.exe";

// Owns the App Paths entry for the test's duration (Wine's registry in the private prefix).
class SiblingClientTest : public testing::Test {
protected:
    void SetUp() override {
        ::SetEnvironmentVariableW(L"ZORN_STUB_RECORD", nullptr);
        ::SetEnvironmentVariableW(L"ZORN_STUB_STOP", nullptr);
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kAppPathsKey);
        clientDirectory_ = folder_.Path() + L"Tessara Client";
        client_ = clientDirectory_ + L"\\Tessara.exe";
        ASSERT_TRUE(CopyFileTo(StubPath(), client_));
    }
    void TearDown() override {
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kAppPathsKey);
        StopStubsAt(client_);
    }
    void Register(const std::wstring& value, DWORD type = REG_SZ) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kAppPathsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
    }

    TempFolder folder_{L"sibling"};
    std::wstring clientDirectory_;
    std::wstring client_;
};

TEST_F(SiblingClientTest, StartsTheRegisteredClientInItsFolder) {
    Register(client_);
    StartSiblingClient();
    EXPECT_TRUE(IsImageRunningNow(client_));
    StubRecord record;
    ASSERT_TRUE(WaitForStubRecord(client_, &record));
    EXPECT_EQ(record.commandLine, client_);
    EXPECT_EQ(record.directory, clientDirectory_);
}

TEST_F(SiblingClientTest, AQuotedEntryStartsTheClientToo) {
    Register(L"\"" + client_ + L"\"");
    StartSiblingClient();
    EXPECT_TRUE(IsImageRunningNow(client_));
}

TEST_F(SiblingClientTest, WithoutAnEntryOrWithAMissingFileNothingStarts) {
    StartSiblingClient();
    EXPECT_FALSE(IsImageRunningNow(client_));
    const std::wstring missing = clientDirectory_ + L"\\Missing.exe";
    Register(missing);
    StartSiblingClient();
    EXPECT_FALSE(IsImageRunningNow(missing));
    EXPECT_FALSE(IsImageRunningNow(client_));
}

TEST_F(SiblingClientTest, AnEntryWithoutAFolderStartsNothing) {
    // The bare name opens (relative to the current folder) but gives no folder to start it in.
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(clientDirectory_.c_str()));
    Register(L"Tessara.exe");
    StartSiblingClient();
    ::SetCurrentDirectoryW(previous);
    EXPECT_FALSE(IsImageRunningNow(client_));
}

}  // namespace
