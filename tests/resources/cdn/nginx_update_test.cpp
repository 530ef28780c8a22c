// The resource manager and the CDN downloader against a real nginx serving trees packed by
// qxpack.exe (started by with_nginx.sh).

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "app/text_helpers.h"
#include "resources/cdn/cdn_fixture.h"
#include "resources/cdn/update_driver.h"
#include "resources/resource_manager.h"
#include "update_runner.h"

using namespace cdntest;

namespace {

const std::vector<int> kFetchedGame = {1, 2, 3, 4, 5, 6, 7, 11, 17, 19};
const std::vector<int> kNothingToFetch = {1, 2, 3, 4, 5, 6, 19};

std::string Content(uint32_t seed, size_t size, bool compressible) {
    std::string bytes(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        bytes[i] = compressible ? static_cast<char>('a' + ((x >> 24) % 4)) : static_cast<char>(x >> 24);
    }
    return bytes;
}

void CopyTree(const std::wstring& from, const std::wstring& to) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((from + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring leaf = data.cFileName;
        if (leaf == L"." || leaf == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CopyTree(from + leaf + L"\\", to + leaf + L"\\");
        } else {
            CopyFileW((from + leaf).c_str(), (to + leaf).c_str(), FALSE);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

// name -> content of every file below a folder
void ListFiles(const std::wstring& root, const std::wstring& relative, std::map<std::wstring, std::string>* files) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((root + relative + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring leaf = data.cFileName;
        if (leaf == L"." || leaf == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFiles(root, relative + leaf + L"\\", files);
        } else {
            ReadBytes(root + relative + leaf, &(*files)[relative + leaf]);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

std::string VersionText(const std::map<std::wstring, std::string>& files) {
    std::string text;
    for (const auto& file : files) text += WideToAnsi(file.first) + "=" + Md5OfBytes(file.second) + "\r\n";
    return text;
}

std::string ReadText(const std::wstring& path) {
    std::string bytes;
    ReadBytes(path, &bytes);
    return bytes;
}

class NginxUpdateTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        source = MakeTempFolder(L"nginx_source");
        // A few hundred small files in a few folders, and a few large ones.
        for (int i = 0; i < 300; ++i) {
            std::wstring name = L"data\\" + std::to_wstring(i % 7) + L"\\file" + std::to_wstring(i) + L".bin";
            WriteBytes(source + L"game\\" + name, Content(i, static_cast<size_t>((i * 37) % 4000), i % 2 == 0));
        }
        WriteBytes(source + L"game\\zorn_game.exe", Content(1000, 2 * 1024 * 1024 + 17, false));
        WriteBytes(source + L"game\\big\\level.pak", Content(1001, 3 * 1024 * 1024, true));
        WriteBytes(source + L"game\\big\\music.ogg", Content(1002, 1536 * 1024, false));
        WriteBytes(source + L"game\\empty.txt", "");
        ListFiles(source + L"game\\", L"", &sourceFiles);
        std::string log;
        baseAddress = PackTree(source + L"game", L"-", L"base", &log);
        ASSERT_FALSE(baseAddress.empty()) << log;
    }

    static void TearDownTestSuite() {
        RemoveTree(source);
        if (!installed.empty()) RemoveTree(installed);
    }

    void TearDown() override {
        for (const auto& folder : folders) RemoveTree(folder);
    }

    std::wstring NewRoot() {
        folders.push_back(MakeTempFolder(L"nginx_root"));
        return folders.back();
    }

    // A root holding a complete installation of the base tree.
    std::wstring InstalledRoot() {
        if (installed.empty()) {
            installed = MakeTempFolder(L"nginx_installed");
            UpdateRecord run = RunUpdate(installed, installed, baseAddress);
            EXPECT_EQ(run.Compact(), kFetchedGame);
        }
        std::wstring root = NewRoot();
        CopyTree(installed, root);
        return root;
    }

    static std::wstring source;
    static std::wstring installed;
    static std::wstring baseAddress;
    static std::map<std::wstring, std::string> sourceFiles;
    std::vector<std::wstring> folders;
};

std::wstring NginxUpdateTest::source;
std::wstring NginxUpdateTest::installed;
std::wstring NginxUpdateTest::baseAddress;
std::map<std::wstring, std::string> NginxUpdateTest::sourceFiles;

TEST_F(NginxUpdateTest, FreshInstallGivesByteIdenticalFilesVersionAndHash) {
    ASSERT_FALSE(CdnUrl().empty()) << "run through with_nginx.sh";
    std::wstring root = NewRoot();
    UpdateRecord run = RunUpdate(root, root, baseAddress);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.Compact(), kFetchedGame);

    int64_t packed = 0;
    for (const auto& line : ReadConfiguration(L"base")) packed += _wtoi64(line.second[3].c_str());
    EXPECT_EQ(run.sizeKnown, packed);
    EXPECT_EQ(run.lastDownloaded, packed);
    EXPECT_EQ(run.lastTotal, packed);
    EXPECT_EQ(run.maxDownloaded, packed);

    std::map<std::wstring, std::string> installedFiles;
    ListFiles(root + L"game\\", L"", &installedFiles);
    EXPECT_EQ(installedFiles.size(), sourceFiles.size());
    EXPECT_TRUE(installedFiles == sourceFiles);
    EXPECT_TRUE(ReadText(root + L"version.txt") == VersionText(sourceFiles));

    std::string digests;
    for (const auto& file : sourceFiles) digests += Md5OfBytes(file.second);
    EXPECT_EQ(CResourceManager::GetInstance()->GetResourceHash(), Md5Hex(digests));

    // Everything current: no size notice, straight to ready.
    EXPECT_EQ(RunUpdate(root, root, baseAddress).Compact(), kNothingToFetch);
}

TEST_F(NginxUpdateTest, ChangedFileFetchesOnlyItsRange) {
    std::wstring root = InstalledRoot();
    std::wstring changedSource = MakeTempFolder(L"nginx_changed");
    folders.push_back(changedSource);
    CopyTree(source + L"game\\", changedSource);
    const std::wstring name = L"data\\3\\file10.bin";
    ASSERT_TRUE(WriteBytes(changedSource + name, "a new version of file 10"));
    std::string log;
    std::wstring address = PackTree(changedSource, L"-", L"changed", &log);
    ASSERT_FALSE(address.empty()) << log;
    std::vector<std::wstring> fields = ReadConfiguration(L"changed")[name];
    ASSERT_EQ(fields.size(), 5u);

    size_t logStart = AccessLogLines().size();
    UpdateRecord run = RunUpdate(root, root, address);
    EXPECT_EQ(run.Compact(), kFetchedGame);
    EXPECT_EQ(run.sizeKnown, _wtoi64(fields[3].c_str()));

    std::vector<std::string> dataRequests;
    for (const std::string& line : AccessLogLines(logStart)) {
        if (line.find("qx_game.qxpkg") != std::string::npos) dataRequests.push_back(line);
    }
    const int64_t start = _wtoi64(fields[2].c_str());
    const int64_t end = start + _wtoi64(fields[3].c_str()) - 1;
    ASSERT_EQ(dataRequests.size(), 1u);
    EXPECT_NE(dataRequests[0].find("/changed/" + WideToAnsi(fields[1]) + "/qx_game.qxpkg"), std::string::npos)
        << dataRequests[0];
    EXPECT_NE(dataRequests[0].find("|bytes=" + std::to_string(start) + "-" + std::to_string(end) + "|206|"),
              std::string::npos)
        << dataRequests[0];

    EXPECT_EQ(ReadText(root + L"game\\" + name), "a new version of file 10");
    std::map<std::wstring, std::string> expected = sourceFiles;
    expected[name] = "a new version of file 10";
    EXPECT_TRUE(ReadText(root + L"version.txt") == VersionText(expected));
}

TEST_F(NginxUpdateTest, RemovedFileIsDeletedAndLeavesVersionTxt) {
    std::wstring root = InstalledRoot();
    std::wstring smaller = MakeTempFolder(L"nginx_removed");
    folders.push_back(smaller);
    CopyTree(source + L"game\\", smaller);
    const std::wstring name = L"big\\music.ogg";
    ASSERT_TRUE(DeleteFileW((smaller + name).c_str()));
    std::string log;
    std::wstring address = PackTree(smaller, L"-", L"removed", &log);
    ASSERT_FALSE(address.empty()) << log;

    EXPECT_EQ(RunUpdate(root, root, address).Compact(), kNothingToFetch);
    EXPECT_FALSE(Exists(root + L"game\\" + name));
    std::map<std::wstring, std::string> expected = sourceFiles;
    expected.erase(name);
    EXPECT_TRUE(ReadText(root + L"version.txt") == VersionText(expected));
}

TEST_F(NginxUpdateTest, LauncherFilesGoFirstIntoLauncherTmpAndLiveFilesStay) {
    std::wstring root = InstalledRoot();
    // The launcher lives in the root, as shipped; its files are out of date, and so is a game file.
    const std::string oldExe = "old launcher executable";
    const std::string oldDll = "old helper library";
    ASSERT_TRUE(WriteBytes(root + L"launcher.exe", oldExe));
    ASSERT_TRUE(WriteBytes(root + L"bin\\helper.dll", oldDll));
    ASSERT_TRUE(WriteBytes(root + L"skin.png", "unchanged skin"));
    ASSERT_TRUE(WriteBytes(root + L"launcher_manifest.txt",
                           "launcher.exe=" + Md5OfBytes(oldExe) + "\r\nbin\\helper.dll=" + Md5OfBytes(oldDll) +
                               "\r\nskin.png=" + Md5OfBytes("unchanged skin") + "\r\n"));

    std::wstring newSource = MakeTempFolder(L"nginx_launcher");
    folders.push_back(newSource);
    CopyTree(source + L"game\\", newSource + L"game\\");
    ASSERT_TRUE(WriteBytes(newSource + L"game\\data\\0\\file0.bin", "changed game file"));
    const std::string newExe = Content(77, 300000, false);
    const std::string newDll = "new helper library";
    ASSERT_TRUE(WriteBytes(newSource + L"launcher\\launcher.exe", newExe));
    ASSERT_TRUE(WriteBytes(newSource + L"launcher\\bin\\helper.dll", newDll));
    ASSERT_TRUE(WriteBytes(newSource + L"launcher\\skin.png", "unchanged skin"));
    std::string log;
    std::wstring address = PackTree(newSource + L"game", newSource + L"launcher", L"launcher", &log);
    ASSERT_FALSE(address.empty()) << log;
    auto config = ReadConfiguration(L"launcher");

    const std::string versionBefore = ReadText(root + L"version.txt");
    UpdateRecord run = RunUpdate(root, root, address);
    EXPECT_EQ(run.Compact(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 13, 17, 18}));
    // The size notice counts launcher and game; the batch only the launcher.
    const int64_t launcherBytes =
        _wtoi64(config[L"launcher.exe"][3].c_str()) + _wtoi64(config[L"bin\\helper.dll"][3].c_str());
    EXPECT_EQ(run.sizeKnown, launcherBytes + _wtoi64(config[L"data\\0\\file0.bin"][3].c_str()));
    EXPECT_EQ(run.lastTotal, launcherBytes);

    // Live files untouched, game untouched, no staging left behind.
    EXPECT_EQ(ReadText(root + L"launcher.exe"), oldExe);
    EXPECT_EQ(ReadText(root + L"bin\\helper.dll"), oldDll);
    EXPECT_EQ(ReadText(root + L"game\\data\\0\\file0.bin"), sourceFiles[L"data\\0\\file0.bin"]);
    EXPECT_TRUE(ReadText(root + L"version.txt") == versionBefore);
    EXPECT_FALSE(Exists(root + L"launcher.staging"));

    // launcher.tmp: complete, one record per changed file (in arrival order), the manifest last.
    std::string package = ReadText(root + L"launcher.tmp");
    ASSERT_FALSE(package.empty());
    EXPECT_EQ(package[0], '\x01');
    std::map<std::string, std::string> records;
    std::vector<std::string> order;
    size_t at = 1;
    while (at + 4 <= package.size()) {
        auto read32 = [&](size_t pos) {
            return static_cast<uint32_t>(static_cast<unsigned char>(package[pos])) |
                   static_cast<uint32_t>(static_cast<unsigned char>(package[pos + 1])) << 8 |
                   static_cast<uint32_t>(static_cast<unsigned char>(package[pos + 2])) << 16 |
                   static_cast<uint32_t>(static_cast<unsigned char>(package[pos + 3])) << 24;
        };
        uint32_t nameLength = read32(at);
        ASSERT_LE(at + 4 + nameLength + 4, package.size());
        std::string name = package.substr(at + 4, nameLength);
        uint32_t contentLength = read32(at + 4 + nameLength);
        ASSERT_LE(at + 8 + nameLength + contentLength, package.size());
        records[name] = package.substr(at + 8 + nameLength, contentLength);
        order.push_back(name);
        at += 8 + nameLength + contentLength;
    }
    EXPECT_EQ(at, package.size());
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order.back(), "launcher_manifest.txt");
    EXPECT_EQ(records["launcher.exe"], newExe);
    EXPECT_EQ(records["bin\\helper.dll"], newDll);
    EXPECT_EQ(records["launcher_manifest.txt"], "bin\\helper.dll=" + Md5OfBytes(newDll) + "\r\nlauncher.exe=" +
                                                     Md5OfBytes(newExe) + "\r\nskin.png=" +
                                                     Md5OfBytes("unchanged skin") + "\r\n");
}

TEST_F(NginxUpdateTest, HtmlPageAsConfigurationDeletesNothing) {
    std::wstring root = InstalledRoot();
    ASSERT_TRUE(WriteBytes(CdnRoot() + L"portal\\config\\index.html",
                           "<!DOCTYPE html>\n<html><head><title>Sign in</title>\n"
                           "<meta http-equiv=\"refresh\" content=\"5; url=http://127.0.0.1/login\">\n"
                           "</head><body>Please sign in to use this network.</body></html>\n"));
    const std::string versionBefore = ReadText(root + L"version.txt");
    UpdateRecord run = RunUpdate(root, root, CdnUrl() + L"portal/config/index.html");
    EXPECT_EQ(run.Compact(), (std::vector<int>{1, 2, 3, 4, 5, 10}));
    std::map<std::wstring, std::string> files;
    ListFiles(root + L"game\\", L"", &files);
    EXPECT_TRUE(files == sourceFiles);
    EXPECT_TRUE(ReadText(root + L"version.txt") == versionBefore);
}

TEST_F(NginxUpdateTest, HostileNamesTouchNothingOutsideTheFolders) {
    std::wstring root = InstalledRoot();
    // Files beside the game folder and beside the root, which hostile names point at.
    const std::wstring outside = NewRoot();
    ASSERT_TRUE(WriteBytes(root + L"victim.txt", "keep me"));
    ASSERT_TRUE(WriteBytes(outside + L"victim.txt", "keep me too"));
    std::wstring outsideName = outside.substr(0, outside.size() - 1);
    outsideName = outsideName.substr(outsideName.rfind(L'\\') + 1);

    // version.txt claims files outside the game folder; the CDN no longer lists them, so a
    // careless launcher would delete them.
    std::string version = ReadText(root + L"version.txt");
    version += "..\\victim.txt=" + Md5OfBytes("keep me") + "\r\n";
    version += "..\\..\\" + WideToAnsi(outsideName) + "\\victim.txt=" + Md5OfBytes("x") + "\r\n";
    version += WideToAnsi(outside) + "victim.txt=" + Md5OfBytes("x") + "\r\n";
    ASSERT_TRUE(WriteBytes(root + L"version.txt", version));

    // The configuration lists the base tree plus entries that would write outside.
    std::string config = ReadText(CdnRoot() + L"base\\config\\qx_config.txt");
    auto base = ReadConfiguration(L"base");
    const auto& some = base.begin()->second;
    const std::string range = "=" + WideToAnsi(some[1]) + "=" + WideToAnsi(some[2]) + "=" + WideToAnsi(some[3]);
    config += "..\\escaped.txt=" + WideToAnsi(some[0]) + range + "=game\r\n";
    config += "..\\..\\" + WideToAnsi(outsideName) + "\\escaped.txt=" + WideToAnsi(some[0]) + range + "=game\r\n";
    config += WideToAnsi(outside) + "escaped.txt=" + WideToAnsi(some[0]) + range + "=game\r\n";
    config += "..\\launcher_escape.dll=" + WideToAnsi(some[0]) + range + "=launcher\r\n";
    ASSERT_TRUE(WriteBytes(CdnRoot() + L"hostile\\config\\qx_config.txt", config));
    // The hostile tree's data folders are the base tree's.
    CopyTree(CdnRoot() + L"base\\", CdnRoot() + L"hostile\\");
    ASSERT_TRUE(WriteBytes(CdnRoot() + L"hostile\\config\\qx_config.txt", config));

    UpdateRecord run = RunUpdate(root, root, CdnUrl() + L"hostile/config/qx_config.txt");
    EXPECT_EQ(run.Compact(), kNothingToFetch);
    EXPECT_EQ(ReadText(root + L"victim.txt"), "keep me");
    EXPECT_EQ(ReadText(outside + L"victim.txt"), "keep me too");
    EXPECT_FALSE(Exists(root + L"escaped.txt"));
    EXPECT_FALSE(Exists(outside + L"escaped.txt"));
    EXPECT_FALSE(Exists(root + L"..\\launcher_escape.dll"));
    EXPECT_FALSE(Exists(root + L"launcher.tmp"));
    // The unsafe entries are gone from version.txt; the real ones stay.
    EXPECT_TRUE(ReadText(root + L"version.txt") == VersionText(sourceFiles));
}

}  // namespace

namespace {

TEST_F(NginxUpdateTest, UpdaterStopsBeforeAnyDownloadWhenTheDiskIsTooFull) {
    std::wstring root = NewRoot();
    std::vector<std::string> lines;
    UpdateRunner runner([&](const std::string& line) { lines.push_back(line); });
    uint64_t asked = 0;
    runner.m_freeSpace = [&](const std::wstring&, uint64_t* freeBytes) {
        *freeBytes = 1000;
        asked = 1;
        return true;
    };
    UpdateRunOptions options;
    options.rootDirectory = root;
    options.launcherDirectory = root;
    options.packageUrl = baseAddress;
    EXPECT_EQ(runner.Run(options), UpdateExitDiskFull);
    WaitForIdleDownloader();
    CResourceManager::GetInstance()->SetProgressCallback(nullptr);
    EXPECT_EQ(asked, 1u);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("error: not enough free space", 0), 0u) << lines.back();
    EXPECT_FALSE(Exists(root + L"game"));

    // Free space that cannot be read ends the run as well.
    UpdateRunner blind([&](const std::string& line) { lines.push_back(line); });
    blind.m_freeSpace = [](const std::wstring&, uint64_t*) { return false; };
    EXPECT_EQ(blind.Run(options), UpdateExitDiskSpaceUnknown);
    WaitForIdleDownloader();
    CResourceManager::GetInstance()->SetProgressCallback(nullptr);
    EXPECT_FALSE(Exists(root + L"game"));
}

}  // namespace
