#include "resources/file_store.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "app/text_helpers.h"
#include "resources/scratch_folder.h"

using resources_test::IsFolderOnDisk;
using resources_test::ListFolder;
using resources_test::ReadBytes;
using resources_test::ScratchFolder;
using resources_test::WriteBytes;

namespace {

// An open handle on a file, as another program holding it would have.
struct HeldFile {
    HeldFile(const std::wstring& path, DWORD share)
        : handle(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldFile() {
        if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    }
    HANDLE handle;
};

std::wstring BesideTestProgram(const wchar_t* fileName) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\') + 1) + fileName;
}

TEST(FileExistsTest, OpenableFilesOnly) {
    ScratchFolder scratch;
    const std::wstring file = scratch / L"a.txt";
    ASSERT_TRUE(WriteBytes(file, "x"));
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(scratch / L"missing.txt"));
    EXPECT_FALSE(FileExists(scratch.Path()));  // an existing folder is not a file
    EXPECT_FALSE(FileExists(scratch.Path() + L"\\"));
    EXPECT_FALSE(FileExists(L""));
}

TEST(FileExistsTest, FileHeldWithoutSharingCountsAsAbsent) {
    ScratchFolder scratch;
    const std::wstring file = scratch / L"held.txt";
    ASSERT_TRUE(WriteBytes(file, "x"));
    {
        HeldFile held(file, 0);
        ASSERT_NE(held.handle, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(FileExists(file));
    }
    {
        HeldFile shared(file, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_NE(shared.handle, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(FileExists(file));
    }
    EXPECT_TRUE(FileExists(file));
}

TEST(DeleteFileIfExistsTest, ReportsWhetherThereWasAFile) {
    ScratchFolder scratch;
    const std::wstring file = scratch / L"a.txt";
    ASSERT_TRUE(WriteBytes(file, "x"));
    EXPECT_TRUE(DeleteFileIfExists(file));
    EXPECT_EQ(ReadBytes(file), "<missing>");
    EXPECT_FALSE(DeleteFileIfExists(file));
    EXPECT_FALSE(DeleteFileIfExists(scratch.Path()));
    EXPECT_TRUE(IsFolderOnDisk(scratch.Path()));
}

TEST(DeleteFileIfExistsTest, TrueEvenWhenTheDeletionIsRefused) {
    ScratchFolder scratch;
    const std::wstring file = scratch / L"busy.dll";
    ASSERT_TRUE(WriteBytes(file, "x"));
    HeldFile held(file, FILE_SHARE_READ | FILE_SHARE_WRITE);  // no delete sharing
    ASSERT_NE(held.handle, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(DeleteFileIfExists(file));
    EXPECT_EQ(ReadBytes(file), "x");
}

TEST(GetParentDirectoryTest, TextBeforeTheLastBackslash) {
    struct Case {
        const wchar_t* path;
        bool found;
        const wchar_t* parent;
    };
    const Case cases[] = {
        {L"C:\\a\\b.txt", true, L"C:\\a"},
        {L"C:\\a\\", true, L"C:\\a"},
        {L"C:\\", true, L"C:"},
        {L"\\b.txt", true, L""},
        {L"a/b\\c/d.txt", true, L"a/b"},  // a forward slash is an ordinary character
        {L"b.txt", false, L"untouched"},
        {L"a/b.txt", false, L"untouched"},
        {L"", false, L"untouched"},
    };
    for (const Case& c : cases) {
        std::wstring parent = L"untouched";
        EXPECT_EQ(GetParentDirectory(c.path, &parent), c.found) << c.path;
        EXPECT_EQ(parent, c.parent) << c.path;
    }
}

TEST(CreateDirectoriesTest, MakesTheWholeChain) {
    ScratchFolder scratch;
    const std::wstring deep = scratch / L"x\\y\\z";
    CreateDirectories(deep);
    EXPECT_TRUE(IsFolderOnDisk(scratch / L"x"));
    EXPECT_TRUE(IsFolderOnDisk(scratch / L"x\\y"));
    EXPECT_TRUE(IsFolderOnDisk(deep));
    ASSERT_TRUE(WriteBytes(deep + L"\\keep.txt", "k"));
    CreateDirectories(deep);  // again: nothing changes
    CreateDirectories(deep + L"\\");
    EXPECT_EQ(ReadBytes(deep + L"\\keep.txt"), "k");
    CreateDirectories(scratch / L"p\\q\\");
    EXPECT_TRUE(IsFolderOnDisk(scratch / L"p\\q"));
}

TEST(CreateDirectoriesTest, AFileInTheWayIsLeftAlone) {
    ScratchFolder scratch;
    ASSERT_TRUE(WriteBytes(scratch / L"file", "f"));
    CreateDirectories(scratch / L"file\\sub");
    EXPECT_EQ(ReadBytes(scratch / L"file"), "f");
    EXPECT_FALSE(IsFolderOnDisk(scratch / L"file\\sub"));
}

TEST(CreateDirectoriesTest, FoldersOutsideTheCodePage) {
    ScratchFolder scratch;
    const std::wstring deep = scratch / (resources_test::NameOutsideCodePage() + L"\\" +
                                         resources_test::NameInsideCodePage());
    CreateDirectories(deep);
    EXPECT_TRUE(IsFolderOnDisk(deep));
}

TEST(ReadTextFileTest, Table) {
    struct Case {
        const char* label;
        std::string bytes;
        std::wstring text;
    };
    std::wstring twoBomBytes;
    ASSERT_TRUE(Utf8ToWide("\xEF\xBB", &twoBomBytes));
    const Case cases[] = {
        {"plain", "a.swf=ABC\r\n", L"a.swf=ABC\r\n"},
        {"bom dropped", "\xEF\xBB\xBF" "\xE7\x8E\xA9=1", L"\u73A9=1"},
        {"only a bom", "\xEF\xBB\xBF", L""},
        {"two bom bytes stay", "\xEF\xBB", twoBomBytes},
        {"empty", "", L""},
        {"stops at zero byte", std::string("ab\0cd", 5), L"ab"},
        {"bom only at the start", "x\xEF\xBB\xBF", L"x\uFEFF"},
    };
    ScratchFolder scratch;
    for (const Case& c : cases) {
        const std::wstring file = scratch / L"text.txt";
        ASSERT_TRUE(WriteBytes(file, c.bytes));
        std::wstring text = L"old";
        EXPECT_TRUE(ReadTextFile(file, &text)) << c.label;
        EXPECT_EQ(text, c.text) << c.label;
    }
}

TEST(ReadTextFileTest, FailuresLeaveTheTargetUntouched) {
    ScratchFolder scratch;
    std::wstring text = L"old";
    EXPECT_FALSE(ReadTextFile(scratch / L"missing.txt", &text));
    EXPECT_FALSE(ReadTextFile(scratch.Path(), &text));
    const std::wstring held = scratch / L"held.txt";
    ASSERT_TRUE(WriteBytes(held, "new"));
    {
        HeldFile lock(held, 0);
        EXPECT_FALSE(ReadTextFile(held, &text));
    }
    EXPECT_EQ(text, L"old");
    // A writer that allows reading does not stop the reader.
    HeldFile shared(held, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_TRUE(ReadTextFile(held, &text));
    EXPECT_EQ(text, L"new");
}

TEST(WriteTextFileTest, WritesUtf8WithoutBomAndReplacesLongerContent) {
    ScratchFolder scratch;
    const std::wstring file = scratch / L"version.txt";
    ASSERT_TRUE(WriteBytes(file, std::string(500, 'z')));
    EXPECT_TRUE(WriteTextFile(file, L"a\\\u73A9.dll=1\r\n"));
    EXPECT_EQ(ReadBytes(file), "a\\\xE7\x8E\xA9.dll=1\r\n");
    EXPECT_TRUE(WriteTextFile(file, L""));
    EXPECT_EQ(ReadBytes(file), "");
    EXPECT_EQ(ListFolder(scratch.Path()), std::vector<std::wstring>{L"version.txt"});
}

TEST(WriteTextFileTest, CreatesMissingFolders) {
    ScratchFolder scratch;
    const std::wstring file = scratch / L"new\\deeper\\version.txt";
    EXPECT_TRUE(WriteTextFile(file, L"x=1\r\n"));
    EXPECT_EQ(ReadBytes(file), "x=1\r\n");
    EXPECT_FALSE(WriteTextFile(L"", L"x"));
}

TEST(WriteTextFileTest, PathsOutsideTheCodePageRoundTrip) {
    ScratchFolder scratch;
    const std::wstring file = scratch / (resources_test::NameOutsideCodePage() + L"\\version.txt");
    EXPECT_TRUE(WriteTextFile(file, L"\u0915=1\r\n"));
    std::wstring text;
    EXPECT_TRUE(ReadTextFile(file, &text));
    EXPECT_EQ(text, L"\u0915=1\r\n");
}

// A failed write keeps the previous manifest whole and leaves nothing beside it.
TEST(WriteTextFileTest, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    ScratchFolder scratch;
    const std::wstring readOnly = scratch / L"readonly.txt";
    ASSERT_TRUE(WriteBytes(readOnly, "old read-only"));
    ASSERT_TRUE(::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(WriteTextFile(readOnly, L"new"));
    EXPECT_EQ(ReadBytes(readOnly), "old read-only");

    const std::wstring held = scratch / L"held.txt";
    ASSERT_TRUE(WriteBytes(held, "old held"));
    {
        HeldFile lock(held, 0);
        EXPECT_FALSE(WriteTextFile(held, L"new"));
    }
    EXPECT_EQ(ReadBytes(held), "old held");

    // The target is a folder.
    CreateDirectories(scratch / L"folder");
    EXPECT_FALSE(WriteTextFile(scratch / L"folder", L"new"));
    EXPECT_TRUE(IsFolderOnDisk(scratch / L"folder"));

    // The folder cannot be made: a file stands where it belongs.
    ASSERT_TRUE(WriteBytes(scratch / L"blocker", "b"));
    EXPECT_FALSE(WriteTextFile(scratch / L"blocker\\sub\\version.txt", L"new"));
    EXPECT_EQ(ReadBytes(scratch / L"blocker"), "b");

    std::vector<std::wstring> names = ListFolder(scratch.Path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"blocker", L"folder", L"held.txt", L"readonly.txt"}));
    EXPECT_TRUE(ListFolder(scratch / L"folder").empty());
}

TEST(GetFileVersionTest, ReadsTheFileVersionOfOurFixture) {
    const std::wstring fixture = BesideTestProgram(L"resources_versioned_fixture.exe");
    ASSERT_TRUE(FileExists(fixture));
    int major = 0, minor = 0, build = 0, revision = 0;
    EXPECT_TRUE(GetFileVersion(fixture, &major, &minor, &build, &revision));
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 2);
    EXPECT_EQ(build, 3);
    EXPECT_EQ(revision, 4);
}

TEST(GetFileVersionTest, FixtureCopiedOutsideTheCodePage) {
    ScratchFolder scratch;
    const std::wstring folder = scratch / resources_test::NameOutsideCodePage();
    CreateDirectories(folder);
    const std::wstring copy = folder + L"\\fixture.exe";
    ASSERT_TRUE(::CopyFileW(BesideTestProgram(L"resources_versioned_fixture.exe").c_str(), copy.c_str(), TRUE));
    int major = 0, minor = 0, build = 0, revision = 0;
    EXPECT_TRUE(GetFileVersion(copy, &major, &minor, &build, &revision));
    EXPECT_EQ(major * 1000 + minor * 100 + build * 10 + revision, 1234);
}

TEST(GetFileVersionTest, NoVersionResourceOrNoFile) {
    ScratchFolder scratch;
    const std::wstring text = scratch / L"notes.txt";
    ASSERT_TRUE(WriteBytes(text, "not an executable"));
    int major = -7, minor = -7, build = -7, revision = -7;
    EXPECT_TRUE(GetFileVersion(text, &major, &minor, &build, &revision));
    EXPECT_EQ(major, -7);
    EXPECT_EQ(minor, -7);
    EXPECT_EQ(build, -7);
    EXPECT_EQ(revision, -7);
    EXPECT_FALSE(GetFileVersion(scratch / L"missing.exe", &major, &minor, &build, &revision));
    EXPECT_EQ(major, -7);
}

}  // namespace
