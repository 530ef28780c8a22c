#include <gtest/gtest.h>

#include "resources/cdn/cdn_fixture.h"
#include "resources/update_plan.h"

namespace {

ResoureConfigInfo Entry(const std::wstring& name, const std::wstring& md5, int64_t start = 0, int32_t length = 0,
                        const std::wstring& folder = L"") {
    ResoureConfigInfo entry;
    entry.name = name;
    entry.md5 = md5;
    entry.folder = folder;
    entry.rangeStart = start;
    entry.rangeLength = length;
    return entry;
}

ResourceMap Map(const std::vector<ResoureConfigInfo>& entries) {
    ResourceMap map;
    for (const auto& entry : entries) map.emplace(entry.name, entry);
    return map;
}

std::wstring Describe(const std::vector<ResourceUpdateTaskInfo>& tasks) {
    std::wstring text;
    for (const auto& task : tasks) {
        text += task.name + L":" + std::to_wstring(task.operation) + L":" + task.localMd5 + L">" + task.cdnMd5 + L";";
    }
    return text;
}

struct PlanCase {
    const char* what;
    std::vector<ResoureConfigInfo> local;
    std::vector<ResoureConfigInfo> cdn;
    std::vector<std::wstring> presentFiles;  // files that exist under the game folder
    std::wstring downloads;
    std::wstring removals;
};

TEST(PlanUpdate, Table) {
    const std::vector<PlanCase> cases = {
        {"no version.txt: every CDN file is an addition, nothing removed",
         {},
         {Entry(L"c", L"C3"), Entry(L"a", L"A1"), Entry(L"b", L"B2")},
         {},
         L"a:1:>A1;b:1:>B2;c:1:>C3;",
         L""},
        {"installed and current: nothing",
         {Entry(L"a", L"A1")},
         {Entry(L"a", L"A1")},
         {L"a"},
         L"",
         L""},
        {"digest differs: a change carrying both digests",
         {Entry(L"a", L"A1")},
         {Entry(L"a", L"A2")},
         {L"a"},
         L"a:3:A1>A2;",
         L""},
        {"digest differs only in letter case: fetched again",
         {Entry(L"a", L"abcdef")},
         {Entry(L"a", L"ABCDEF")},
         {L"a"},
         L"a:3:abcdef>ABCDEF;",
         L""},
        {"file missing on disk with an equal digest: fetched again with an empty local digest",
         {Entry(L"a", L"A1")},
         {Entry(L"a", L"A1")},
         {},
         L"a:3:>A1;",
         L""},
        {"a folder of the file's name counts as present",
         {Entry(L"d", L"D1")},
         {Entry(L"d", L"D1")},
         {L"d\\inner"},
         L"",
         L""},
        {"no longer listed: a removal with the local digest",
         {Entry(L"a", L"A1"), Entry(L"old", L"O1")},
         {Entry(L"a", L"A1")},
         {L"a", L"old"},
         L"",
         L"old:2:>O1;"},
        {"names differing in letter case are different files",
         {Entry(L"A", L"X")},
         {Entry(L"a", L"X")},
         {L"A"},
         L"a:1:>X;",
         L"A:2:>X;"},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring game = cdntest::MakeTempFolder(L"plan");
        for (const auto& file : c.presentFiles) ASSERT_TRUE(cdntest::WriteBytes(game + file, "x"));
        ResourceMap local = Map(c.local);
        std::vector<ResourceUpdateTaskInfo> downloads;
        std::vector<ResourceUpdateTaskInfo> removals;
        PlanUpdate(local, Map(c.cdn), downloads, removals, game);
        EXPECT_EQ(Describe(downloads), c.downloads);
        EXPECT_EQ(Describe(removals), c.removals);
        cdntest::RemoveTree(game);
    }
}

TEST(PlanUpdate, DownloadsCarryTheCdnRangeAndRemovalsTheLocalOne) {
    ResourceMap local = Map({Entry(L"gone", L"G", 7, 8, L"old")});
    ResourceMap cdn = Map({Entry(L"new", L"N", 1024, 300, L"105")});
    std::vector<ResourceUpdateTaskInfo> downloads;
    std::vector<ResourceUpdateTaskInfo> removals;
    PlanUpdate(local, cdn, downloads, removals, L"");
    ASSERT_EQ(downloads.size(), 1u);
    EXPECT_EQ(downloads[0].folder, L"105");
    EXPECT_EQ(downloads[0].rangeStart, 1024);
    EXPECT_EQ(downloads[0].rangeLength, 300);
    ASSERT_EQ(removals.size(), 1u);
    EXPECT_EQ(removals[0].folder, L"old");
    EXPECT_EQ(removals[0].rangeStart, 7);
}

TEST(PlanUpdate, WithoutFileCheckMissingFilesKeepTheirDigest) {
    // Launcher files are planned without looking at the disk.
    ResourceMap local = Map({Entry(L"launcher.exe", L"L1")});
    std::vector<ResourceUpdateTaskInfo> downloads;
    std::vector<ResourceUpdateTaskInfo> removals;
    PlanUpdate(local, Map({Entry(L"launcher.exe", L"L1")}), downloads, removals, L"");
    EXPECT_TRUE(downloads.empty());
    EXPECT_EQ(local[L"launcher.exe"].md5, L"L1");
}

TEST(InsertSafeEntries, UnsafeNamesAreLeftOutAndTheFirstOfANameWins) {
    ResourceMap map;
    InsertSafeEntries({Entry(L"a", L"1"), Entry(L"..\\evil", L"2"), Entry(L"C:\\x", L"3"), Entry(L"a", L"4"),
                       Entry(L"\\\\server\\share", L"5"), Entry(L"b\\..\\..\\c", L"6"), Entry(L"ok\\b", L"7")},
                      &map);
    ASSERT_EQ(map.size(), 2u);
    EXPECT_EQ(map[L"a"].md5, L"1");
    EXPECT_EQ(map[L"ok\\b"].md5, L"7");
}

}  // namespace
