#include "resources/resource_name.h"

#include <gtest/gtest.h>

namespace {

TEST(IsSafeResourceNameTest, SafeAndUnsafeNamesSideBySide) {
    struct Case {
        const wchar_t* safe;
        const wchar_t* unsafe;
        const char* rule;
    };
    const Case cases[] = {
        {L"a.swf", L"", "not empty"},
        {L"data\\a.swf", L"\\data\\a.swf", "not rooted"},
        {L"c\\a.swf", L"C:\\a.swf", "no drive"},
        {L"c\\a.swf", L"C:a.swf", "no drive-relative path"},
        {L"server\\share\\a", L"\\\\server\\share\\a", "no UNC prefix"},
        {L"x\\a", L"\\\\?\\C:\\a", "no long-path prefix"},
        {L"x\\a", L"\\\\.\\pipe\\a", "no device prefix"},
        {L"a\\b\\c.dll", L"a\\..\\..\\c.dll", "no parent folder"},
        {L"..a\\b..c", L"..\\c.dll", "no leading parent folder"},
        {L"a\\.b", L"a\\.\\b", "no current folder"},
        {L"a\\b", L"a\\\\b", "no empty folder"},
        {L"a\\b", L"a\\b\\", "no trailing separator"},
        {L"a\\b", L"a/b", "no forward slash"},
        {L"a b.txt", L"a<b.txt", "no <"},
        {L"a b.txt", L"a>b.txt", "no >"},
        {L"a b.txt", L"a\"b.txt", "no quote"},
        {L"a b.txt", L"a|b.txt", "no |"},
        {L"a b.txt", L"a?b.txt", "no ?"},
        {L"a b.txt", L"a*b.txt", "no *"},
        {L"a.txt", L"a.txt:stream", "no stream name"},
        {L"console.txt", L"CON", "no device name"},
        {L"nullable\\x", L"nul\\x", "no device folder"},
        {L"aux1.txt", L"Aux.txt", "device name with extension"},
        {L"com10", L"COM1", "COM1..COM9"},
        {L"lpt", L"lpt9.log", "LPT1..LPT9"},
        {L"prn_x", L"PRN .txt", "spaces before the extension"},
        {L"com\u00B4", L"COM\u00B9", "superscript digits"},
        {L"conin", L"conout$", "console devices"},
        {L"a.b", L"a.", "no trailing dot"},
        {L"a\\b", L"a.\\b", "no trailing dot on a folder"},
        {L" a", L"a ", "no trailing space"},
        {L"\u73A9\u5BB6\\\u0915.dll", L"\u73A9\u5BB6\\", "non-ASCII names are ordinary"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(IsSafeResourceName(c.safe)) << c.rule;
        EXPECT_FALSE(IsSafeResourceName(c.unsafe)) << c.rule;
    }
}

TEST(IsSafeResourceNameTest, EveryControlCharacterIsRefused) {
    for (wchar_t c = 1; c < 0x20; ++c) {
        EXPECT_FALSE(IsSafeResourceName(std::wstring(L"a") + c + L"b")) << static_cast<int>(c);
    }
    EXPECT_FALSE(IsSafeResourceName(std::wstring(L"a\0b", 3)));
    EXPECT_TRUE(IsSafeResourceName(L"a\x7F" L"b"));
}

}  // namespace
