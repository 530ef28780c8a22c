#include "resources/resource_manifest.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <limits>

#include "app/text_helpers.h"
#include "resources/file_store.h"
#include "resources/scratch_folder.h"

using resources_test::ScratchFolder;
using resources_test::WriteBytes;

namespace {

ResoureConfigInfo Entry(const wchar_t* name, const wchar_t* md5, const wchar_t* folder = L"", int64_t start = 0,
                        int32_t length = 0, const wchar_t* category = L"") {
    ResoureConfigInfo entry;
    entry.name = name;
    entry.md5 = md5;
    entry.folder = folder;
    entry.rangeStart = start;
    entry.rangeLength = length;
    entry.category = category;
    return entry;
}

std::string Describe(const ResoureConfigList& list) {
    std::string out;
    for (const ResoureConfigInfo& e : list) {
        out += "[" + ToUtf8(e.name) + "|" + ToUtf8(e.md5) + "|" + ToUtf8(e.folder) + "|" +
               std::to_string(e.rangeStart) + "|" + std::to_string(e.rangeLength) + "|" + ToUtf8(e.category) + "]";
    }
    return out;
}

TEST(ParseResourceListTest, LineSyntax) {
    const int64_t max64 = std::numeric_limits<int64_t>::max();
    const int64_t min64 = std::numeric_limits<int64_t>::min();
    const int32_t max32 = std::numeric_limits<int32_t>::max();
    const int32_t min32 = std::numeric_limits<int32_t>::min();
    struct Case {
        const wchar_t* text;
        ResoureConfigList entries;
    };
    const Case cases[] = {
        {L"a.swf=ABC", {Entry(L"a.swf", L"ABC")}},
        {L"a.swf==ABC", {Entry(L"a.swf", L"ABC")}},
        {L"=a.swf=ABC=", {Entry(L"a.swf", L"ABC")}},
        {L"a.swf=ABC=105=1024=300=launcher", {Entry(L"a.swf", L"ABC", L"105", 1024, 300, L"launcher")}},
        {L"a=1=f=2=3=cat=extra=more", {Entry(L"a", L"1", L"f", 2, 3, L"cat")}},
        {L"a=1==7=8", {Entry(L"a", L"1", L"7", 8)}},  // no empty middle field: the rest moves up
        {L"a.swf", {}},
        {L"", {}},
        {L"\r\n\r\n\n", {}},
        {L"===", {}},
        {L"a=1=f=x12=300", {Entry(L"a", L"1", L"f", 0, 300)}},
        {L"a=1=f= \t12=-3", {Entry(L"a", L"1", L"f", 12, -3)}},
        {L"a=1=f=+12abc=7x", {Entry(L"a", L"1", L"f", 12, 7)}},
        {L"a=1=f=- 5=-", {Entry(L"a", L"1", L"f", 0, 0)}},
        {L"a=1=f=99999999999999999999=99999999999", {Entry(L"a", L"1", L"f", max64, max32)}},
        {L"a=1=f=-99999999999999999999=-99999999999", {Entry(L"a", L"1", L"f", min64, min32)}},
        {L"a=1=f=9223372036854775807=2147483647", {Entry(L"a", L"1", L"f", max64, max32)}},
        {L"a=1=f=-9223372036854775808=-2147483648", {Entry(L"a", L"1", L"f", min64, min32)}},
        {L"a=1\nb=2", {Entry(L"a", L"1"), Entry(L"b", L"2")}},
        {L"a=1\rb=2", {Entry(L"a", L"1"), Entry(L"b", L"2")}},
        {L"a=1\r\nb=2\r\n", {Entry(L"a", L"1"), Entry(L"b", L"2")}},
        {L"a=2\r\na=1", {Entry(L"a", L"2"), Entry(L"a", L"1")}},  // duplicates kept in file order
        {L"A=1\r\na=2", {Entry(L"A", L"1"), Entry(L"a", L"2")}},
        {L" a = 1 ", {Entry(L" a ", L" 1 ")}},  // nothing is trimmed
        // A line of spaces is one field and is skipped; the lines after it still count.
        {L"a=1\r\n   \r\n\t\r\nb=2", {Entry(L"a", L"1"), Entry(L"b", L"2")}},
        {L"a=1\r\n = \r\nb=2", {Entry(L"a", L"1"), Entry(L" ", L" "), Entry(L"b", L"2")}},
        {L"\u73A9\\\u5BB6.dll=9F", {Entry(L"\u73A9\\\u5BB6.dll", L"9F")}},
    };
    for (const Case& c : cases) {
        ResoureConfigList list;
        EXPECT_TRUE(ParseResourceList(c.text, &list));
        EXPECT_EQ(Describe(list), Describe(c.entries)) << ToUtf8(c.text);
    }
}

TEST(ParseResourceListTest, AppendsToTheList) {
    ResoureConfigList list = {Entry(L"old", L"0")};
    EXPECT_TRUE(ParseResourceList(L"new=1", &list));
    EXPECT_EQ(Describe(list), Describe({Entry(L"old", L"0"), Entry(L"new", L"1")}));
}

TEST(SerializeResourceListTest, WrittenForm) {
    struct Case {
        ResoureConfigList entries;
        const wchar_t* text;
    };
    const Case cases[] = {
        // The manager's map of b=2 and a=1 comes in name order.
        {{Entry(L"a", L"1"), Entry(L"b", L"2")}, L"a=1\r\nb=2\r\n"},
        {{Entry(L"b", L"2"), Entry(L"a", L"1")}, L"b=2\r\na=1\r\n"},  // list order, not sorted here
        {{Entry(L"a.swf", L"ABC", L"105", 1024, 300, L"launcher")}, L"a.swf=ABC\r\n"},
        {{Entry(L"gone", L"")}, L"gone=\r\n"},
        {{Entry(L"\u73A9\\x", L"F")}, L"\u73A9\\x=F\r\n"},
    };
    for (const Case& c : cases) {
        std::wstring text = L"head\r\n";
        EXPECT_TRUE(SerializeResourceList(c.entries, &text));
        EXPECT_EQ(text, std::wstring(L"head\r\n") + c.text);
    }
    std::wstring untouched = L"keep";
    EXPECT_FALSE(SerializeResourceList({}, &untouched));
    EXPECT_EQ(untouched, L"keep");
}

TEST(SerializeResourceListTest, AnEntryWithoutDigestDisappearsOnReload) {
    std::wstring text;
    ASSERT_TRUE(SerializeResourceList({Entry(L"a", L"1"), Entry(L"b", L""), Entry(L"c", L"3")}, &text));
    ResoureConfigList reloaded;
    ASSERT_TRUE(ParseResourceList(text, &reloaded));
    EXPECT_EQ(Describe(reloaded), Describe({Entry(L"a", L"1"), Entry(L"c", L"3")}));
}

TEST(LoadResourceListTest, ReadsManifestFiles) {
    ScratchFolder scratch;
    const std::string body = "a.swf=ABC\r\n\xE7\x8E\xA9.dll=DEF=7=10=20=Launcher\n";
    ASSERT_TRUE(WriteBytes(scratch / L"plain.txt", body));
    ASSERT_TRUE(WriteBytes(scratch / L"bom.txt", "\xEF\xBB\xBF" + body));
    ResoureConfigList plain, withBom;
    EXPECT_TRUE(LoadResourceList(scratch / L"plain.txt", &plain));
    EXPECT_TRUE(LoadResourceList(scratch / L"bom.txt", &withBom));
    EXPECT_EQ(Describe(plain),
              Describe({Entry(L"a.swf", L"ABC"), Entry(L"\u73A9.dll", L"DEF", L"7", 10, 20, L"Launcher")}));
    EXPECT_EQ(Describe(withBom), Describe(plain));

    ASSERT_TRUE(WriteBytes(scratch / L"zero.txt", std::string("a=1\r\n\0b=2\r\n", 11)));
    ResoureConfigList zero;
    EXPECT_TRUE(LoadResourceList(scratch / L"zero.txt", &zero));
    EXPECT_EQ(Describe(zero), Describe({Entry(L"a", L"1")}));

    ResoureConfigList missing = {Entry(L"kept", L"1")};
    EXPECT_FALSE(LoadResourceList(scratch / L"missing.txt", &missing));
    EXPECT_EQ(Describe(missing), Describe({Entry(L"kept", L"1")}));
}

TEST(LoadResourceListTest, WrittenManifestLoadsBack) {
    ScratchFolder scratch;
    const std::wstring path = scratch / (resources_test::NameOutsideCodePage() + L"\\version.txt");
    std::wstring text;
    ASSERT_TRUE(SerializeResourceList({Entry(L"a\\\u0915.pak", L"11"), Entry(L"b", L"22")}, &text));
    ASSERT_TRUE(WriteTextFile(path, text));
    ResoureConfigList list;
    EXPECT_TRUE(LoadResourceList(path, &list));
    EXPECT_EQ(Describe(list), Describe({Entry(L"a\\\u0915.pak", L"11"), Entry(L"b", L"22")}));
}

TEST(IsLauncherCategoryTest, AnyLetterCase) {
    for (const wchar_t* yes : {L"launcher", L"LAUNCHER", L"Launcher", L"lAuNcHeR"}) {
        EXPECT_TRUE(IsLauncherCategory(yes)) << ToUtf8(yes);
    }
    for (const wchar_t* no : {L"", L"game", L"launchers", L" launcher", L"launche", L"launcher "}) {
        EXPECT_FALSE(IsLauncherCategory(no)) << ToUtf8(no);
    }
}

TEST(PackageAddressTest, BaseAddress) {
    struct Case {
        const wchar_t* packageUrl;
        const wchar_t* base;
    };
    const Case cases[] = {
        {L"http://cdn.test/zorn/pc/105/config.txt", L"http://cdn.test/zorn/pc/"},
        {L"http://127.0.0.1:8080/x/y/cfg", L"http://127.0.0.1:8080/x/"},
        {L"http://h/pc/105/", L"http://h/pc/"},
        {L"a/b", L"a/"},
        {L"abc", L"abc/"},
        {L"", L"/"},
        // An address written with backslashes loses the same two parts.
        {L"http://h\\pc\\105\\config.txt", L"http://h/pc/"},
        {L"http://h/pc\\105/config.txt", L"http://h/pc/"},
    };
    for (const Case& c : cases) EXPECT_EQ(GetPackageBaseUrl(c.packageUrl), c.base) << ToUtf8(c.packageUrl);
}

TEST(PackageAddressTest, PackageDataAddress) {
    const std::wstring base = GetPackageBaseUrl(L"http://h/x/y/config.txt");
    EXPECT_EQ(MakePackageDataUrl(base, L"7"), L"http://h/x/7/qx_game.qxpkg");
    EXPECT_EQ(MakePackageDataUrl(base, L""), L"http://h/x/qx_game.qxpkg");
}

class ResourceHashTest : public ::testing::Test {
protected:
    // The hash of a root directory whose version.txt holds the bytes.
    std::wstring HashOf(const std::string& versionTxt) {
        EXPECT_TRUE(WriteBytes(scratch_ / L"version.txt", versionTxt));
        return ComputeResourceHash(scratch_.Path() + L"\\");
    }
    ScratchFolder scratch_;
};

TEST_F(ResourceHashTest, DigestsInNameOrder) {
    const std::wstring sorted = HashOf("a=1\r\nb=2\r\n");
    EXPECT_EQ(sorted, Md5Hex("12"));
    EXPECT_EQ(HashOf("b=2\r\na=1\r\n"), sorted);
    EXPECT_EQ(HashOf("\xEF\xBB\xBF" "b=2=f=1=2=launcher\nempty=\na=1"), sorted);
    // Code-unit order: upper case before lower case, a name before the longer names it begins.
    EXPECT_EQ(HashOf("ab=3\r\na=2\r\nB=1\r\n"), Md5Hex("123"));
    // Equal names keep their file order.
    EXPECT_EQ(HashOf("a=2\r\na=1\r\n"), Md5Hex("21"));
    EXPECT_NE(HashOf("a=abc\r\n"), HashOf("a=ABC\r\n"));
}

TEST_F(ResourceHashTest, EmptyFileAndMissingFile) {
    const std::wstring empty = HashOf("");
    EXPECT_EQ(empty.size(), 32u);
    EXPECT_EQ(empty, L"D41D8CD98F00B204E9800998ECF8427E");
    ::DeleteFileW((scratch_ / L"version.txt").c_str());
    EXPECT_EQ(ComputeResourceHash(scratch_.Path() + L"\\"), L"");
}

TEST(ResourceHashFolderTest, RootOutsideTheCodePage) {
    ScratchFolder scratch;
    const std::wstring root = scratch / (resources_test::NameOutsideCodePage() + L"\\");
    ASSERT_TRUE(WriteTextFile(root + L"version.txt", L"x=5\r\n"));
    EXPECT_EQ(ComputeResourceHash(root), Md5Hex("5"));
}

TEST(LauncherPackageTest, FinishedFileForOneLauncherFile) {
    std::wstring manifest;
    ASSERT_TRUE(SerializeResourceList({Entry(L"a.dll", L"ABC")}, &manifest));
    std::string fileRecord, manifestRecord;
    ASSERT_TRUE(MakeLauncherPackageRecord(L"a.dll", "hello", &fileRecord));
    ASSERT_TRUE(MakeLauncherManifestRecord(manifest, &manifestRecord));

    // Built the way the update does it: flag 0, records as files finish, the manifest, flag 1.
    std::string package(1, static_cast<char>(kLauncherPackageBuilding));
    package += fileRecord;
    package += manifestRecord;
    package[0] = static_cast<char>(kLauncherPackageComplete);

    const std::string expected = std::string("\x01", 1) + std::string("\x05\x00\x00\x00", 4) + "a.dll" +
                                 std::string("\x05\x00\x00\x00", 4) + "hello" +
                                 std::string("\x15\x00\x00\x00", 4) + "launcher_manifest.txt" +
                                 std::string("\x0B\x00\x00\x00", 4) + "a.dll=ABC\r\n";
    EXPECT_EQ(BytesToHex(package), BytesToHex(expected));
}

TEST(LauncherPackageTest, NamesAndContentAsBytes) {
    std::string record;
    const std::string content("\x00\xFF\x00", 3);
    const std::wstring name = resources_test::NameInsideCodePage() + L"\\b.dll";
    ASSERT_TRUE(MakeLauncherPackageRecord(name, content, &record));
    const std::string nameBytes = WideToAnsi(name);
    std::string nameLength, contentLength;
    PackUInt32LE(static_cast<uint32_t>(nameBytes.size()), &nameLength);
    PackUInt32LE(3, &contentLength);
    EXPECT_EQ(BytesToHex(record), BytesToHex(nameLength + nameBytes + contentLength + content));

    std::string manifestRecord;
    ASSERT_TRUE(MakeLauncherManifestRecord(L"\u0915=1\r\n", &manifestRecord));
    EXPECT_EQ(manifestRecord.substr(25), std::string("\x07\x00\x00\x00", 4) + "\xE0\xA4\x95=1\r\n");
}

TEST(LauncherPackageTest, NameTheCodePageCannotHoldIsRefused) {
    std::string record = "untouched";
    EXPECT_FALSE(MakeLauncherPackageRecord(resources_test::NameOutsideCodePage() + L".dll", "x", &record));
    EXPECT_FALSE(MakeLauncherPackageRecord(L"", "x", &record));
    EXPECT_EQ(record, "untouched");
}

}  // namespace
