#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <thread>

#include "app/text_helpers.h"
#include "resources/cdn/cdn_fixture.h"
#include "resources/cdn_data_processors.h"
#include "resources/cdn_resource_downloader.h"
#include "resources/resource_manager.h"

namespace {

std::string Gzip(const std::string& content) {
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, content.size()) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

DownloadTaskInfo Task(const std::wstring& name, int kind, int64_t start = 0, uint32_t length = 0) {
    DownloadTaskInfo task;
    task.name = name;
    task.kind = kind;
    task.rangeStart = start;
    task.rangeLength = length;
    return task;
}

// Feeds a processor the way the request engine does: BeginData, chunks, EndData.
int Deliver(DownloadDataProcessor* processor, const std::string& body, size_t chunk = 1024) {
    if (!processor->BeginData(static_cast<uint32_t>(body.size()))) return -5;
    for (size_t at = 0; at < body.size(); at += chunk) {
        if (!processor->WriteData(body.data() + at, static_cast<uint32_t>(std::min(chunk, body.size() - at)))) return -4;
    }
    return processor->EndData() ? 200 : -3;
}

struct BatchEnd {
    int calls = 0;
    CDNDownloadState state = CDNDownloadSucceeded;
    int kind = 0;
    int code = 0;
};

class DownloaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = cdntest::MakeTempFolder(L"downloader");
        downloader.m_gameDirectory = root + L"game\\";
        downloader.m_launcherDirectory = root + L"launcher\\";
        CreateDirectoryW(downloader.m_gameDirectory.c_str(), nullptr);
        CreateDirectoryW(downloader.m_launcherDirectory.c_str(), nullptr);
        downloader.m_onBatchFinished = [this](CDNDownloadState state, int kind, int code) {
            ++end.calls;
            end.state = state;
            end.kind = kind;
            end.code = code;
        };
        downloader.m_onFileResult = [this](const DownloadTaskInfo& task, CDNDownloadState) { stored.push_back(task.name); };
    }
    void TearDown() override { cdntest::RemoveTree(root); }

    // A processor as the dispatcher would get it, fed with `body`, then its result reported.
    void RunTask(const DownloadTaskInfo& task, const std::string& body, int code) {
        auto* processor = const_cast<DownloadDataProcessor*>(downloader.CreateDataProcessor(task));
        ASSERT_NE(processor, nullptr);
        if (code == 200) {
            ASSERT_EQ(Deliver(processor, body), 200);
        }
        downloader.OnTaskResult(DownloadTaskResultInfo(task, code));
    }

    std::string LauncherPackage() {
        std::string bytes;
        cdntest::ReadBytes(downloader.GetLauncherPackagePath(), &bytes);
        return bytes;
    }

    std::wstring root;
    CCDNResourceDownloader downloader;
    BatchEnd end;
    std::vector<std::wstring> stored;
};

std::string Record(const std::string& name, const std::string& content) {
    std::string a;
    std::string b;
    PackUInt32LE(static_cast<uint32_t>(name.size()), &a);
    PackUInt32LE(static_cast<uint32_t>(content.size()), &b);
    return a + name + b + content;
}

TEST_F(DownloaderTest, BatchCodeIsTheOrOfEveryResult) {
    struct Case {
        std::vector<int> codes;
        CDNDownloadState state;
        int code;
    };
    const std::vector<Case> cases = {
        {{200, 200}, CDNDownloadSucceeded, 200},
        {{200, 404}, CDNDownloadRequestFailed, 476},
        {{200, 404, -2}, CDNDownloadRequestFailed, -2},
    };
    for (const Case& c : cases) {
        end = BatchEnd();
        stored.clear();
        downloader.StartDownload({}, CDNTaskResource);
        for (size_t i = 0; i < c.codes.size(); ++i) {
            RunTask(Task(L"f" + std::to_wstring(i), CDNTaskResource), Gzip("content"), c.codes[i]);
        }
        downloader.OnAllTasksFinished();
        EXPECT_EQ(end.calls, 1);
        EXPECT_EQ(end.state, c.state);
        EXPECT_EQ(end.kind, CDNTaskResource);
        EXPECT_EQ(end.code, c.code);
        // Only the files that arrived are reported as stored.
        EXPECT_EQ(stored.size(), 1u + (c.codes[1] == 200 ? 1u : 0u));
    }
}

TEST_F(DownloaderTest, RetriedRangeCountsEveryBytePositionOnce) {
    std::vector<std::pair<int64_t, int64_t>> progress;
    downloader.m_onProgress = [&](int64_t done, int64_t total) { progress.emplace_back(done, total); };
    std::string content(5000, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>((i * 7919) >> 3);
    const std::string body = Gzip(content);
    ResourceUpdateTaskInfo planned;
    planned.name = L"sub\\data.bin";
    planned.rangeStart = 0;
    planned.rangeLength = static_cast<int32_t>(body.size());
    downloader.StartDownload({}, CDNTaskResource);
    // StartDownload with an empty plan counts nothing; count this task as the plan would.
    downloader.m_totalBytes = static_cast<int64_t>(body.size());
    DownloadTaskInfo task = Task(planned.name, CDNTaskResource, 0, static_cast<uint32_t>(body.size()));
    auto* processor = const_cast<DownloadDataProcessor*>(downloader.CreateDataProcessor(task));
    ASSERT_NE(processor, nullptr);
    // First attempt breaks off after 60 % of the range: unpacking fails.
    EXPECT_EQ(Deliver(processor, body.substr(0, body.size() * 6 / 10)), -3);
    EXPECT_EQ(Deliver(processor, body), 200);
    downloader.OnTaskResult(DownloadTaskResultInfo(task, 200));
    EXPECT_EQ(downloader.m_doneBytes, static_cast<int64_t>(body.size()));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().first, static_cast<int64_t>(body.size()));
    std::string written;
    ASSERT_TRUE(cdntest::ReadBytes(downloader.m_gameDirectory + L"sub\\data.bin", &written));
    EXPECT_EQ(written, content);
    EXPECT_FALSE(cdntest::Exists(downloader.m_gameDirectory + L"sub\\data.bin.t"));
}

TEST_F(DownloaderTest, PlainRangeIsStoredUnchanged) {
    downloader.StartDownload({}, CDNTaskResource);
    RunTask(Task(L"plain.txt", CDNTaskResource), "not compressed at all", 200);
    std::string written;
    ASSERT_TRUE(cdntest::ReadBytes(downloader.m_gameDirectory + L"plain.txt", &written));
    EXPECT_EQ(written, "not compressed at all");
}

TEST_F(DownloaderTest, UnsafeNamesGetNoProcessor) {
    downloader.StartDownload({}, CDNTaskResource);
    for (const wchar_t* name : {L"..\\escape.txt", L"C:\\abs.txt", L"a\\..\\..\\b", L"\\\\host\\share\\x"}) {
        EXPECT_EQ(downloader.CreateDataProcessor(Task(name, CDNTaskResource)), nullptr) << WideToAnsi(name);
    }
}

TEST_F(DownloaderTest, LauncherFilesAreStagedAndPackedNeverWrittenOverTheLiveOnes) {
    const std::wstring live = downloader.m_launcherDirectory + L"a.dll";
    ASSERT_TRUE(cdntest::WriteBytes(live, "LIVE!"));
    downloader.StartDownload({}, CDNTaskLauncher);
    EXPECT_EQ(LauncherPackage(), std::string(1, '\0'));
    RunTask(Task(L"a.dll", CDNTaskLauncher), Gzip("hello"), 200);
    RunTask(Task(L"bin\\b.dll", CDNTaskLauncher), Gzip("world!"), 200);
    downloader.OnAllTasksFinished();
    EXPECT_EQ(end.state, CDNDownloadSucceeded);
    EXPECT_EQ(end.kind, CDNTaskLauncher);
    // Flag still 0x00: the resource manager completes the file with the manifest record.
    EXPECT_EQ(LauncherPackage(), std::string(1, '\0') + Record("a.dll", "hello") + Record("bin\\b.dll", "world!"));
    std::string liveContent;
    ASSERT_TRUE(cdntest::ReadBytes(live, &liveContent));
    EXPECT_EQ(liveContent, "LIVE!");
    EXPECT_FALSE(cdntest::Exists(downloader.m_launcherDirectory + L"bin"));
    EXPECT_FALSE(cdntest::Exists(downloader.GetLauncherStagingDirectory()));
}

TEST_F(DownloaderTest, FailedLauncherBatchLosesItsPackageAndKeepsTheLiveFiles) {
    const std::wstring live = downloader.m_launcherDirectory + L"a.dll";
    ASSERT_TRUE(cdntest::WriteBytes(live, "LIVE!"));
    downloader.StartDownload({}, CDNTaskLauncher);
    RunTask(Task(L"b.dll", CDNTaskLauncher), Gzip("new b"), 200);
    // a.dll: the transfer began (its processor unpacked part of it) and then failed.
    DownloadTaskInfo failing = Task(L"a.dll", CDNTaskLauncher);
    auto* processor = const_cast<DownloadDataProcessor*>(downloader.CreateDataProcessor(failing));
    ASSERT_NE(processor, nullptr);
    EXPECT_EQ(Deliver(processor, Gzip("new a").substr(0, 8)), -3);
    downloader.OnTaskResult(DownloadTaskResultInfo(failing, 404));
    downloader.OnAllTasksFinished();
    EXPECT_EQ(end.state, CDNDownloadRequestFailed);
    EXPECT_EQ(end.code, 404 | 200);
    EXPECT_FALSE(cdntest::Exists(downloader.GetLauncherPackagePath()));
    EXPECT_FALSE(cdntest::Exists(downloader.GetLauncherStagingDirectory()));
    std::string liveContent;
    ASSERT_TRUE(cdntest::ReadBytes(live, &liveContent));
    EXPECT_EQ(liveContent, "LIVE!");
}

TEST_F(DownloaderTest, Addresses) {
    downloader.m_clock = [] { return int64_t{1700000000}; };
    downloader.m_baseUrl = L"http://cdn.test/x/";
    for (const wchar_t* config : {L"http://cdn.test/x/y/cfg.txt", L"http://cdn.test/x/y/cfg.txt?v=2"}) {
        downloader.m_configUrl = config;
        std::wstring url = downloader.MakeUrl(CDNTaskConfig, L"ignored");
        ASSERT_EQ(url.size(), wcslen(config) + 3 + 14);
        EXPECT_EQ(url.substr(0, wcslen(config) + 3), std::wstring(config) + L"?r=");
        EXPECT_EQ(url.substr(url.size() - 14), FormatTimeStamp(1700000000));
    }
    EXPECT_EQ(downloader.MakeUrl(CDNTaskResource, L"105"), L"http://cdn.test/x/105/qx_game.qxpkg");
    EXPECT_EQ(downloader.MakeUrl(CDNTaskLauncher, L""), L"http://cdn.test/x/qx_game.qxpkg");
    EXPECT_EQ(downloader.MakeUrl(7, L"105"), L"");
}

TEST(PackageConfiguration, OnlyManifestTextIsAccepted) {
    const std::wstring digest = L"0123456789ABCDEF0123456789abcdef";
    struct Case {
        const char* what;
        std::wstring text;
        bool accepted;
        size_t entries;
    };
    const std::vector<Case> cases = {
        {"a packed configuration", L"a.txt=" + digest + L"=1=0=26=game\r\nb=" + digest + L"=1=26=9=launcher\r\n", true, 2},
        {"LF line ends and a trailing blank line", L"a=" + digest + L"\n\n", true, 1},
        {"empty text", L"", false, 0},
        {"an HTML error page",
         L"<!DOCTYPE html>\r\n<html><head><meta http-equiv=\"refresh\" content=\"0\"></head>\r\n"
         L"<body>Login required</body></html>\r\n",
         false, 0},
        {"an HTML page with a line that looks like an entry",
         L"<html>\r\nbody=" + digest + L"\r\n</html>\r\n", false, 0},
        {"cut off in the middle of a digest", L"a=" + digest + L"=1=0=5\r\nb=01234", false, 0},
        {"garbage after a line of blanks", L"a=" + digest + L"\r\n   \r\n<html>\r\n", false, 0},
        {"a digest with a blank in it", L"a= " + digest.substr(1) + L"\r\n", false, 0},
        {"only unsafe names", L"..\\a=" + digest + L"\r\nC:\\b=" + digest + L"\r\n", false, 0},
        {"unsafe names beside a safe one: accepted, the manager leaves them out",
         L"..\\a=" + digest + L"\r\nok=" + digest + L"\r\n", true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<ResoureConfigInfo> entries;
        EXPECT_EQ(ParsePackageConfiguration(c.text, &entries), c.accepted);
        EXPECT_EQ(entries.size(), c.entries);
    }
}

}  // namespace

namespace {

TEST(ResourceManager, HashBeforeTheFirstStartIsEmptyWhateverLiesInTheWorkingFolder) {
    std::wstring folder = cdntest::MakeTempFolder(L"hash");
    ASSERT_TRUE(cdntest::WriteBytes(folder + L"version.txt", "a=0123456789ABCDEF0123456789ABCDEF\r\n"));
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(folder.c_str());
    EXPECT_EQ(CResourceManager::GetInstance()->GetResourceHash(), L"");
    SetCurrentDirectoryW(previous);
    cdntest::RemoveTree(folder);
}

}  // namespace

namespace {

TEST(ResourceManager, ExitPathSaveRunsSafelyWhileWorkersRecordFiles) {
    // The exit path saves version.txt on the user-interface thread while download workers may
    // still be recording stored files.
    std::wstring root = cdntest::MakeTempFolder(L"save_race");
    CResourceManager* manager = CResourceManager::GetInstance();
    const std::wstring digest = L"0123456789ABCDEF0123456789ABCDEF";
    manager->m_rootDirectory = root;
    for (int i = 0; i < 3000; ++i) {
        ResoureConfigInfo entry;
        entry.name = L"f" + std::to_wstring(i);
        entry.md5 = digest;
        manager->m_cdnResources[entry.name] = entry;
    }
    manager->m_localResources[L"installed"] = ResoureConfigInfo{L"installed", digest, L"", 0, 0, L""};
    std::thread worker([&] {
        for (const auto& item : manager->m_cdnResources) {
            DownloadTaskInfo task;
            task.name = item.first;
            task.kind = CDNTaskResource;
            manager->OnFileDownloaded(task, CDNDownloadSucceeded);
        }
    });
    for (int i = 0; i < 200; ++i) manager->SaveLocalResourceInfo();
    worker.join();
    manager->SaveLocalResourceInfo();
    std::string version;
    ASSERT_TRUE(cdntest::ReadBytes(root + L"version.txt", &version));
    EXPECT_EQ(std::count(version.begin(), version.end(), '\n'), 3001);

    manager->m_rootDirectory.clear();
    manager->m_cdnResources.clear();
    manager->m_localResources.clear();
    cdntest::RemoveTree(root);
}

}  // namespace
