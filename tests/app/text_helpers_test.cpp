#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>
#include <string>
#include <vector>

#include "app/text_helpers.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

// RFC 4648, section 10.
struct Base64Case {
    const char* plain;
    const char* encoded;
};
const Base64Case kRfc4648[] = {
    {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
};

TEST(Base64, EncodesRfc4648Vectors) {
    for (const Base64Case& c : kRfc4648) EXPECT_EQ(Base64Encode(std::string(c.plain)), c.encoded) << c.plain;
}

TEST(Base64, DecodesRfc4648Vectors) {
    for (const Base64Case& c : kRfc4648) {
        unsigned char out[16] = {};
        int64_t count = -1;
        const std::string text = c.encoded;
        ASSERT_TRUE(Base64Decode(text.data(), static_cast<int64_t>(text.size()), out, sizeof(out), &count)) << c.encoded;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), static_cast<size_t>(count)), c.plain);
    }
}

TEST(Base64, SixtyBytesGiveEightyCharactersWithoutLineBreaks) {
    const std::string encoded = Base64Encode(std::string(60, 'x'));
    EXPECT_EQ(encoded.size(), 80u);
    EXPECT_EQ(encoded.find('\n'), std::string::npos);
    EXPECT_EQ(encoded.find('='), std::string::npos);
}

TEST(Base64, EncodeRefusesASmallBufferAndMissingPointers) {
    char out[8];
    EXPECT_FALSE(Base64Encode("abcd", 4, out, 7));
    EXPECT_TRUE(Base64Encode("abcd", 4, out, 8));
    EXPECT_FALSE(Base64Encode("abcd", 4, nullptr, 8));
    EXPECT_FALSE(Base64Encode(nullptr, 4, out, 8));
}

struct DecodeCase {
    std::string text;
    std::string bytes;
};

TEST(Base64, DecodeSkipsEverythingOutsideTheAlphabet) {
    const DecodeCase cases[] = {
        {"Zm9v YmFy", "foobar"},
        {"Zm9v\r\nYmFy\r\n", "foobar"},
        {"Zm8=", "fo"},
        {"Zm8", "fo"},
        {"Zg==", "f"},
        {"Zg", "f"},
        {"Z", ""},
        {"=Z=m=9=v=", "foo"},
    };
    for (const DecodeCase& c : cases) {
        unsigned char out[16];
        int64_t count = -1;
        EXPECT_TRUE(Base64Decode(c.text.data(), static_cast<int64_t>(c.text.size()), out, sizeof(out), &count)) << c.text;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), static_cast<size_t>(count)), c.bytes) << c.text;
    }
}

TEST(Base64, DecodeIntoATooSmallBufferReportsTheFullCount) {
    unsigned char out[5];
    int64_t count = 0;
    EXPECT_FALSE(Base64Decode("Zm9vYmFy", 8, out, 5, &count));
    EXPECT_EQ(count, 6);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 5), "fooba");
    EXPECT_FALSE(Base64Decode(nullptr, 8, out, 5, &count));
}

TEST(Base64, DecodeStopsAtAZeroByteBetweenGroups) {
    const std::string text("Zm9v\0YmFy", 9);
    unsigned char out[16];
    int64_t count = 0;
    EXPECT_TRUE(Base64Decode(text.data(), static_cast<int64_t>(text.size()), out, sizeof(out), &count));
    EXPECT_EQ(count, 3);
}

TEST(Base64, DecodeToTextEndsAtTheFirstZeroByte) {
    EXPECT_EQ(Base64DecodeToText(Base64Encode(std::string("ab\0cd", 5))), L"ab");
    EXPECT_EQ(Base64DecodeToText(Base64Encode("token=a source=b")), L"token=a source=b");
}

struct Utf8Case {
    std::string bytes;
    bool utf8;
};

TEST(IsUtf8Text, Table) {
    const Utf8Case cases[] = {
        {"plain ascii", false},
        {"\xE4\xB8\xAD", true},          // 中
        {"abc \xE6\x96\x87\xE5\xAD\x97", true},
        {"\xE4", false},                 // lone lead byte
        {"\xE4\xB8", false},             // truncated sequence
        {"\x80", false},                 // continuation byte first
        {"\x80\x41", false},
        {"\xC3\xA9", true},
        {"\xC3\x41", false},             // continuation byte missing
        {"\xF0\x9F\x98\x80", true},
        {"\xC0\x80", true},              // overlong forms are not rejected
        {"", false},
    };
    for (const Utf8Case& c : cases) {
        EXPECT_EQ(IsUtf8Text(c.bytes.data(), static_cast<int64_t>(c.bytes.size())), c.utf8) << testing::PrintToString(c.bytes);
    }
    EXPECT_FALSE(IsUtf8Text("\xE4\xB8\xAD", 0));
    EXPECT_FALSE(IsUtf8Text("\xE4\xB8\xAD", -1));
}

TEST(TextConversions, Utf8RoundTripAndMissingArguments) {
    const std::wstring chinese = L"\x542F\x52A8\x5668 launcher";  // 启动器
    std::string utf8;
    ASSERT_TRUE(WideToUtf8(chinese, &utf8));
    EXPECT_EQ(utf8, "\xE5\x90\xAF\xE5\x8A\xA8\xE5\x99\xA8 launcher");
    std::wstring back = L"untouched";
    EXPECT_FALSE(Utf8ToWide(nullptr, &back));
    EXPECT_EQ(back, L"untouched");
    EXPECT_FALSE(Utf8ToWide("x", nullptr));
    EXPECT_FALSE(WideToUtf8(chinese, nullptr));
    ASSERT_TRUE(Utf8ToWide(utf8.c_str(), &back));
    EXPECT_EQ(back, chinese);
    EXPECT_EQ(TextFromBytes(utf8), chinese);
    EXPECT_EQ(TextFromBytes("plain"), L"plain");
    EXPECT_EQ(AnsiToWide(static_cast<const char*>(nullptr)), L"");
}

TEST(TextConversions, MalformedUtf8BecomesTheReplacementCharacter) {
    std::wstring text;
    ASSERT_TRUE(Utf8ToWide("a\xFF" "b", &text));
    EXPECT_EQ(text, L"a\xFFFD" L"b");
}

// The ANSI conversions follow the thread's code page: GBK under the default Chinese locale,
// Windows-1252 when the tests run with a Western locale.
TEST(TextConversions, AnsiFollowsTheThreadCodePage) {
    const std::wstring zhong = L"\x4E2D";
    const UINT acp = ::GetACP();
    if (acp == 936) {
        EXPECT_EQ(WideToAnsi(zhong), "\xD6\xD0");
        EXPECT_EQ(AnsiToWide("\xD6\xD0"), zhong);
        // GBK bytes are not UTF-8, so TextFromBytes takes the ANSI path.
        EXPECT_EQ(TextFromBytes("\xD6\xD0"), zhong);
    } else if (acp == 1252) {
        EXPECT_EQ(WideToAnsi(zhong), "?");
        EXPECT_EQ(AnsiToWide("\xE9"), L"\xE9");
        EXPECT_EQ(WideToAnsi(L"\x20AC"), "\x80");
    } else {
        GTEST_SKIP() << "code page " << acp;
    }
}

struct UrlCase {
    std::string in;
    std::string out;
};

TEST(UrlDecode, Table) {
    const UrlCase cases[] = {
        {"a+b", "a b"},
        {"%2F", "/"},
        {"%2f", "/"},
        {"%41%42%43", "ABC"},
        {"a%20b", "a b"},
        {"\xE4\xB8\xAD", "\xE4\xB8\xAD"},
        {"100%", "100%"},
        {"%4", "%4"},
        {"%zz", "%zz"},
        {"%%41", "%A"},
        {"%00x", std::string("\0x", 2)},
        {"", ""},
    };
    for (const UrlCase& c : cases) EXPECT_EQ(UrlDecode(c.in), c.out) << c.in;
}

struct SplitCase {
    std::wstring text;
    std::wstring delimiters;
    std::vector<std::wstring> pieces;
};

TEST(SplitText, Table) {
    const SplitCase cases[] = {
        {L"  one  two  ", L" ", {L"one", L"two"}},
        {L"one \t two", L" ", {L"one"}},
        {L"--token=abc --source=web", L" -", {L"token=abc", L"source=web"}},
        {L"a1-b2 c", L" -", {L"a1", L"b2", L"c"}},
        {L"", L" ", {}},
        {L"    ", L" ", {}},
        {L"single", L" ", {L"single"}},
        {L"a\tb", L" ", {L"a\tb"}},
    };
    for (const SplitCase& c : cases) {
        std::vector<std::wstring> pieces;
        EXPECT_TRUE(SplitText(c.text, c.delimiters, &pieces));
        EXPECT_EQ(pieces, c.pieces) << testing::PrintToString(c.text);
    }
}

TEST(SplitText, AppendsWithoutClearingAndRefusesNoDelimiters) {
    std::vector<std::wstring> pieces = {L"kept"};
    EXPECT_TRUE(SplitText(L"a b", L" ", &pieces));
    EXPECT_EQ(pieces, (std::vector<std::wstring>{L"kept", L"a", L"b"}));
    EXPECT_FALSE(SplitText(L"a b", L"", &pieces));
    EXPECT_EQ(pieces.size(), 3u);
}

TEST(Formatting, IntToText) {
    EXPECT_EQ(IntToText(0), L"0");
    EXPECT_EQ(IntToText(-42), L"-42");
    EXPECT_EQ(IntToText(1234567), L"1234567");
    EXPECT_EQ(IntToText(INT32_MIN), L"-2147483648");
}

TEST(Formatting, PackUInt32LE) {
    std::string out = "old content";
    PackUInt32LE(258, &out);
    EXPECT_EQ(out, Bytes({0x02, 0x01, 0x00, 0x00}));
    PackUInt32LE(0xA1B2C3D4u, &out);
    EXPECT_EQ(out, Bytes({0xD4, 0xC3, 0xB2, 0xA1}));
}

TEST(Formatting, BytesToHexAndMd5Hex) {
    EXPECT_EQ(BytesToHex(Bytes({0x00, 0x0F, 0xAB, 0xFF})), L"000FABFF");
    for (const std::string& s : {std::string(), std::string("x"), std::string(1000, '\xFF')}) {
        const std::wstring hex = Md5Hex(s);
        ASSERT_EQ(hex.size(), 32u);
        EXPECT_EQ(hex.find_first_not_of(L"0123456789ABCDEF"), std::wstring::npos);
    }
}

TEST(Formatting, FormatTimeStampIsLocalTime) {
    struct tm evening = {};
    evening.tm_year = 2026 - 1900;
    evening.tm_mon = 11;
    evening.tm_mday = 11;
    evening.tm_hour = 19;
    evening.tm_min = 5;
    evening.tm_sec = 9;
    evening.tm_isdst = -1;
    const __time64_t t = _mktime64(&evening);
    ASSERT_NE(t, -1);
    EXPECT_EQ(FormatTimeStamp(t), L"20261211190509");
    const std::wstring now = FormatTimeStamp(_time64(nullptr));
    EXPECT_EQ(now.size(), 14u);
    EXPECT_EQ(now.find_first_not_of(L"0123456789"), std::wstring::npos);
}

}  // namespace
