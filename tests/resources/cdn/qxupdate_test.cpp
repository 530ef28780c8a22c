// qxupdate.exe as an operator runs it: a real process against nginx (started by with_nginx.sh),
// stopped with Ctrl+C in its console or killed outright, then started again.

#include <gtest/gtest.h>

#include <map>

#include "app/text_helpers.h"
#include "resources/cdn/cdn_fixture.h"

using namespace cdntest;

namespace {

// Content of the files this test packs.
std::string Random(uint32_t seed, size_t size) { return PseudoRandomBytes(seed, size, 3); }
std::string Read(const std::wstring& path) { return ReadAll(path); }

// name -> digest of a version.txt; false when a line is not "name=32 hex digits".
bool ParseVersion(const std::string& text, std::map<std::string, std::string>* entries) {
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) return false;
        std::string line = text.substr(at, end - at);
        size_t eq = line.find('=');
        if (eq == std::string::npos || line.size() - eq - 1 != 32) return false;
        (*entries)[line.substr(0, eq)] = line.substr(eq + 1);
        at = end + 2;
    }
    return true;
}

int64_t SizeNotice(const std::string& output) {
    const std::string marker = "7 ProgressDownloadSizeKnown totalBytes=";
    size_t at = output.find(marker);
    return at == std::string::npos ? -1 : _atoi64(output.c_str() + at + marker.size());
}

class QxUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(CdnUrl().empty()) << "run through with_nginx.sh";
        source = MakeTempFolder(L"qxupdate_source");
        root = MakeTempFolder(L"qxupdate_root");
    }
    void TearDown() override {
        RemoveTree(source);
        RemoveTree(root);
    }

    // Twelve incompressible files of 600 KB in folders of about 1 MiB: six package files, so
    // that files are stored one pair after another.
    std::wstring PackSlowTree(const std::wstring& tree) {
        for (int i = 0; i < 12; ++i) {
            std::wstring name = L"pack\\f" + std::to_wstring(10 + i) + L".bin";
            files[name] = Random(i, 600000);
            WriteBytes(source + L"game\\" + name, files[name]);
        }
        std::string log;
        std::wstring address = PackTree(source + L"game", L"-", tree, &log, L"--folder-mib 1");
        EXPECT_FALSE(address.empty()) << log;
        config = ReadConfiguration(tree);
        return address;
    }

    std::wstring Slow(const std::wstring& address) {
        return CdnUrl() + L"slow/" + address.substr(CdnUrl().size());
    }

    std::wstring Command(const std::wstring& address) {
        return Quote(ProgramFolder() + L"qxupdate.exe") + L" " + Quote(root) + L" " + Quote(root) + L" " + address;
    }

    int StoredCount() {
        int stored = 0;
        for (const auto& file : files) stored += Read(root + L"game\\" + file.first) == file.second ? 1 : 0;
        return stored;
    }

    // Runs qxupdate on the slow path until at least `stored` files are complete, then ends it
    // with `stop`; gives its exit code.
    int RunUntilStored(const std::wstring& address, int stored, bool newConsole, void (*stop)(ChildProcess&),
                       std::string* output) {
        ChildProcess child;
        EXPECT_TRUE(child.Start(Command(Slow(address)), newConsole));
        for (int i = 0; i < 6000 && StoredCount() < stored && child.Wait(0) == -1; ++i) Sleep(20);
        EXPECT_LT(StoredCount(), static_cast<int>(files.size())) << "the batch ended before it was stopped";
        stop(child);
        int code = child.Wait(60000);
        if (newConsole) FreeConsole();
        *output = child.Output();
        return code;
    }

    void ExpectEveryListedFileIntact(const std::map<std::string, std::string>& entries) {
        for (const auto& entry : entries) {
            std::wstring name = AnsiToWide(entry.first);
            EXPECT_EQ(entry.second, Md5OfBytes(files[name])) << entry.first;
            EXPECT_EQ(Read(root + L"game\\" + name), files[name]) << entry.first;
        }
    }

    int64_t RangesNotIn(const std::map<std::string, std::string>& entries) {
        int64_t total = 0;
        for (const auto& line : config) {
            if (!entries.count(WideToAnsi(line.first))) total += _wtoi64(line.second[3].c_str());
        }
        return total;
    }

    std::wstring source;
    std::wstring root;
    std::map<std::wstring, std::string> files;
    std::map<std::wstring, std::vector<std::wstring>> config;
};

TEST_F(QxUpdateTest, ExitCodesAndProgressLines) {
    files[L"a.txt"] = "alpha";
    WriteBytes(source + L"game\\a.txt", "alpha");
    WriteBytes(source + L"launcher\\launcher.exe", "launcher v2");
    std::string log;
    std::wstring gameOnly = PackTree(source + L"game", L"-", L"codes_game", &log);
    ASSERT_FALSE(gameOnly.empty()) << log;
    std::wstring withLauncher = PackTree(source + L"game", source + L"launcher", L"codes_launcher", &log);
    ASSERT_FALSE(withLauncher.empty()) << log;
    WriteBytes(CdnRoot() + L"codes_html\\config\\page.html", "<html><body>proxy error</body></html>\n");

    std::string output;
    EXPECT_EQ(RunProcess(Command(gameOnly), &output), 0) << output;
    for (const char* line : {"1 ProgressLocalCheckBegin\r\n", "6 ProgressServerCompareEnd\r\n",
                             "11 ProgressGameUpdateBegin\r\n", "19 ProgressResourcesReady\r\n"}) {
        EXPECT_NE(output.find(line), std::string::npos) << line << " in\n" << output;
    }
    EXPECT_EQ(SizeNotice(output), _wtoi64(ReadConfiguration(L"codes_game")[L"a.txt"][3].c_str()));
    EXPECT_NE(output.find("17 ProgressDownloadProgress downloadedBytes="), std::string::npos) << output;
    EXPECT_EQ(Read(root + L"game\\a.txt"), "alpha");

    EXPECT_EQ(RunProcess(Command(withLauncher), &output), 2) << output;
    EXPECT_NE(output.find("18 ProgressLauncherUpdated"), std::string::npos) << output;
    EXPECT_EQ(Read(root + L"launcher.tmp")[0], '\x01');
    EXPECT_FALSE(Exists(root + L"launcher.exe"));

    EXPECT_EQ(RunProcess(Command(CdnUrl() + L"codes_html/config/page.html"), &output), 5) << output;
    EXPECT_NE(output.find("10 ProgressServerUnpackFailed"), std::string::npos) << output;
    EXPECT_EQ(Read(root + L"game\\a.txt"), "alpha");

    // Ten attempts on a missing configuration, without the pauses between them.
    EXPECT_EQ(RunProcess(Command(CdnUrl() + L"codes_missing/config/qx_config.txt") + L" --attempt-pause-ms 0", &output),
              3)
        << output;
    EXPECT_EQ(RunProcess(Quote(ProgramFolder() + L"qxupdate.exe"), &output), 1);
}

TEST_F(QxUpdateTest, CtrlCSavesWhatWasStoredAndTheNextRunFetchesTheRest) {
    std::wstring address = PackSlowTree(L"stopped");
    std::string output;
    int code = RunUntilStored(address, 2, true,
                              [](ChildProcess& child) {
                                  // The operator's Ctrl+C in the updater's own console: this
                                  // program joins that console for the moment and ignores it.
                                  FreeConsole();
                                  ASSERT_TRUE(AttachConsole(child.Id())) << GetLastError();
                                  SetConsoleCtrlHandler(nullptr, TRUE);
                                  EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) << GetLastError();
                              },
                              &output);
    EXPECT_EQ(code, 10) << output;
    EXPECT_NE(output.find("stopped: version.txt saved"), std::string::npos) << output;
    std::map<std::string, std::string> entries;
    ASSERT_TRUE(ParseVersion(Read(root + L"version.txt"), &entries));
    EXPECT_GE(entries.size(), 2u);
    EXPECT_LT(entries.size(), files.size());
    ExpectEveryListedFileIntact(entries);

    // Started again: only the files not yet stored are fetched.
    EXPECT_EQ(RunProcess(Command(address), &output), 0) << output;
    EXPECT_EQ(SizeNotice(output), RangesNotIn(entries)) << output;
    EXPECT_EQ(StoredCount(), static_cast<int>(files.size()));
    std::map<std::string, std::string> complete;
    ASSERT_TRUE(ParseVersion(Read(root + L"version.txt"), &complete));
    EXPECT_EQ(complete.size(), files.size());
    ExpectEveryListedFileIntact(complete);
}

TEST_F(QxUpdateTest, KilledOutrightLeavesAWholeVersionTxtAndTheNextRunCompletes) {
    std::wstring address = PackSlowTree(L"killed");
    // One file already installed and recorded, so that version.txt is written at the comparison.
    const std::wstring first = files.begin()->first;
    WriteBytes(root + L"game\\" + first, files[first]);
    WriteBytes(root + L"version.txt", WideToAnsi(first) + "=" + Md5OfBytes(files[first]) + "\r\n");

    std::string output;
    int code = RunUntilStored(address, 3, false,
                              [](ChildProcess& child) { TerminateProcess(child.Handle(), 77); }, &output);
    EXPECT_EQ(code, 77);
    std::map<std::string, std::string> entries;
    ASSERT_TRUE(ParseVersion(Read(root + L"version.txt"), &entries)) << Read(root + L"version.txt");
    ExpectEveryListedFileIntact(entries);

    EXPECT_EQ(RunProcess(Command(address), &output), 0) << output;
    EXPECT_EQ(StoredCount(), static_cast<int>(files.size()));
    std::map<std::string, std::string> complete;
    ASSERT_TRUE(ParseVersion(Read(root + L"version.txt"), &complete));
    EXPECT_EQ(complete.size(), files.size());
    ExpectEveryListedFileIntact(complete);
}

}  // namespace
