// The resource manager against the transport's fault-injecting server (started by
// tests/net/run_with_server.sh), serving trees packed by qxpack.exe.

#include <gtest/gtest.h>

#include <map>

#include "app/text_helpers.h"
#include "net/download_text_processor.h"
#include "net/http_transfer.h"
#include "net/request_timing.h"
#include "resources/cdn/cdn_fixture.h"
#include "resources/cdn/update_driver.h"
#include "resources/resource_manager.h"

using namespace cdntest;

namespace {

// Content of the files this test packs.
std::string Random(uint32_t seed, size_t size) { return PseudoRandomBytes(seed, size, 7); }

class FaultUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        server = L"http://" + Env(L"TROVAN_TEST_SERVER") + L"/";
        std::wstring linuxRoot = Env(L"TROVAN_TEST_SERVER_ROOT");
        ASSERT_FALSE(linuxRoot.empty()) << "run through tests/net/run_with_server.sh";
        servedRoot = L"Z:" + linuxRoot + L"\\";
        for (auto& c : servedRoot) {
            if (c == L'/') c = L'\\';
        }
        // Repeated attempts follow each other at once instead of after five seconds.
        SetAttemptPauseForTesting([](uint32_t) {});
        Control(L"reset", "");
        source = MakeTempFolder(L"fault_source");
        root = MakeTempFolder(L"fault_root");
    }
    void TearDown() override {
        SetAttemptPauseForTesting(nullptr);
        RemoveTree(source);
        RemoveTree(root);
    }

    void Control(const std::wstring& what, const std::string& body) {
        HttpTransfer transfer;
        transfer.UseJsonHeaders();
        DownloadTextProcessor processor{DownloadTaskInfo()};
        ASSERT_EQ(transfer.Execute(server + L"_control/" + what, &processor, HttpTransfer::kVerbPost, body, -1, 0), 200);
    }

    // Packs `files` (name -> content) with qxpack into the served folder `tree`; gives the
    // package address, and the configuration lines by name in *config.
    std::wstring Pack(const std::map<std::wstring, std::string>& files, const std::wstring& tree,
                      std::map<std::wstring, std::vector<std::wstring>>* config) {
        for (const auto& file : files) WriteBytes(source + tree + L"\\" + file.first, file.second);
        std::wstring out = servedRoot + tree;
        std::string output;
        int code = RunProcess(Quote(ProgramFolder() + L"qxpack.exe") + L" " + Quote(source + tree) + L" - " +
                                  Quote(out) + L" " + server + tree + L" --folder-mib 1",
                              &output);
        EXPECT_EQ(code, 0) << output;
        std::string bytes;
        ReadBytes(out + L"\\config\\qx_config.txt", &bytes);
        std::wstring text = AnsiToWide(bytes);
        std::vector<std::wstring> lines;
        SplitText(text, L"\r\n", &lines);
        for (const auto& line : lines) {
            std::vector<std::wstring> fields;
            SplitText(line, L"=", &fields);
            std::wstring name = fields[0];
            fields.erase(fields.begin());
            (*config)[name] = fields;
        }
        return server + tree + L"/config/qx_config.txt";
    }

    std::string Installed(const std::wstring& name) {
        std::string bytes;
        ReadBytes(root + L"game\\" + name, &bytes);
        return bytes;
    }

    std::wstring server;
    std::wstring servedRoot;
    std::wstring source;
    std::wstring root;
};

TEST_F(FaultUpdateTest, CutConnectionIsRetriedAndItsBytesCountedOnce) {
    std::map<std::wstring, std::string> files = {{L"a.bin", Random(1, 300000)}, {L"b.bin", Random(2, 200000)}};
    std::map<std::wstring, std::vector<std::wstring>> config;
    std::wstring address = Pack(files, L"cut", &config);
    const std::wstring folder = config[L"a.bin"][1];
    // The first request for the package breaks off in the middle of the first file's range.
    Control(L"rules", "{\"path\": \"/cut/" + WideToAnsi(folder) + "/qx_game.qxpkg\", \"close_after\": 150000}");

    UpdateRecord run = RunUpdate(root, root, address);
    EXPECT_EQ(run.Compact(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 11, 17, 19}));
    const int64_t total = _wtoi64(config[L"a.bin"][3].c_str()) + _wtoi64(config[L"b.bin"][3].c_str());
    EXPECT_EQ(run.sizeKnown, total);
    EXPECT_EQ(run.lastTotal, total);
    EXPECT_EQ(run.lastDownloaded, total);
    EXPECT_EQ(run.maxDownloaded, total);
    EXPECT_EQ(Installed(L"a.bin"), files[L"a.bin"]);
    EXPECT_EQ(Installed(L"b.bin"), files[L"b.bin"]);
}

TEST_F(FaultUpdateTest, DamagedRangeFailsTheBatchAndKeepsWhatWasStored) {
    // 700 KB each with folders of 1 MiB: a and b share folder 1, c and d folder 2.
    std::map<std::wstring, std::string> files = {{L"a.bin", Random(11, 700000)},
                                                 {L"b.bin", Random(12, 700000)},
                                                 {L"c.bin", Random(13, 700000)},
                                                 {L"d.bin", Random(14, 700000)}};
    std::map<std::wstring, std::vector<std::wstring>> config;
    std::wstring address = Pack(files, L"damaged", &config);
    ASSERT_EQ(config[L"a.bin"][1], config[L"b.bin"][1]);
    const std::wstring damagedFolder = config[L"c.bin"][1];
    ASSERT_NE(damagedFolder, config[L"a.bin"][1]);
    ASSERT_EQ(damagedFolder, config[L"d.bin"][1]);

    // Flip bytes in the middle of c's compressed range: every attempt fails to unpack.
    const std::wstring package = servedRoot + L"damaged\\" + damagedFolder + L"\\qx_game.qxpkg";
    std::string bytes;
    ASSERT_TRUE(ReadBytes(package, &bytes));
    const size_t middle = static_cast<size_t>(_wtoi64(config[L"c.bin"][2].c_str()) + 350000);
    for (size_t i = middle; i < middle + 64; ++i) bytes[i] = static_cast<char>(~bytes[i]);
    ASSERT_TRUE(WriteBytes(package, bytes));
    // The damaged package waits until the good files are stored, so that they are not
    // cancelled by the failure.
    Control(L"rules", "{\"path\": \"/damaged/" + WideToAnsi(damagedFolder) + "/qx_game.qxpkg\", \"hold\": true}");

    CResourceManager* manager = CResourceManager::GetInstance();
    bool released = false;
    UpdateRecord run = RunUpdate(root, root, address, [&](int state) {
        if ((state == 17 || state == 0) && !released) {
            std::lock_guard<std::recursive_mutex> hold(manager->m_lock);
            if (manager->m_localResources.count(L"a.bin") && manager->m_localResources.count(L"b.bin")) {
                released = true;
                Control(L"release", "");
            }
        }
        return true;
    });
    if (!released) Control(L"release", "");
    EXPECT_TRUE(released);
    EXPECT_EQ(run.Compact(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 11, 17, 12}));
    EXPECT_NE(run.errorCode, 200);
    EXPECT_LT(run.errorCode, 0) << "an unpacking failure after the last attempt";
    // The batch did not write version.txt; the next save (the exit path) records what was stored.
    EXPECT_FALSE(Exists(root + L"version.txt"));
    manager->SaveLocalResourceInfo();
    std::string version;
    ReadBytes(root + L"version.txt", &version);
    EXPECT_EQ(version, "a.bin=" + Md5OfBytes(files[L"a.bin"]) + "\r\nb.bin=" + Md5OfBytes(files[L"b.bin"]) + "\r\n");
    EXPECT_EQ(Installed(L"a.bin"), files[L"a.bin"]);

    // Repaired, the next run fetches only c and d.
    Control(L"reset", "");
    std::map<std::wstring, std::vector<std::wstring>> repaired;
    address = Pack(files, L"damaged", &repaired);
    UpdateRecord again = RunUpdate(root, root, address);
    EXPECT_EQ(again.Compact(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 11, 17, 19}));
    EXPECT_EQ(again.sizeKnown, _wtoi64(repaired[L"c.bin"][3].c_str()) + _wtoi64(repaired[L"d.bin"][3].c_str()));
    for (const auto& file : files) EXPECT_EQ(Installed(file.first), file.second) << WideToAnsi(file.first);
}

TEST_F(FaultUpdateTest, ConfigurationRequestFailureReportsOnlyTheFailure) {
    Control(L"rules", "{\"path\": \"/gone/config/qx_config.txt\", \"status\": 500, \"times\": -1}");
    UpdateRecord run = RunUpdate(root, root, server + L"gone/config/qx_config.txt");
    EXPECT_EQ(run.states, (std::vector<int>{1, 2, 3, 4, 5, 8}));
    EXPECT_FALSE(Exists(root + L"version.txt"));
}

}  // namespace
