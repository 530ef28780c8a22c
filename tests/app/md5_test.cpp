#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/md5.h"
#include "app/text_helpers.h"

namespace {

struct Md5Case {
    const char* input;
    const wchar_t* hex;
};

// RFC 1321, appendix A.5.
const Md5Case kRfc1321Suite[] = {
    {"", L"D41D8CD98F00B204E9800998ECF8427E"},
    {"a", L"0CC175B9C0F1B6A831C399E269772661"},
    {"abc", L"900150983CD24FB0D6963F7D28E17F72"},
    {"message digest", L"F96B697D7CB7938D525A2F31AAF161D0"},
    {"abcdefghijklmnopqrstuvwxyz", L"C3FCD3D76192E4007DFB496CCA67E13B"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", L"D174AB98D277D9F5A5611C2C9F419D9F"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     L"57EDF4A22BE3C955AC49DA2E2107B67A"},
};

TEST(Md5, Rfc1321Suite) {
    for (const Md5Case& c : kRfc1321Suite) {
        EXPECT_EQ(Md5Hex(c.input), c.hex) << '"' << c.input << '"';
    }
}

// Feeding the input in pieces of every size crosses the 64-byte block buffer in every way.
TEST(Md5, PiecewiseUpdatesGiveTheSameDigest) {
    std::string data;
    for (int i = 0; i < 1000; ++i) data.push_back(static_cast<char>(i * 7 + 3));
    const std::wstring whole = Md5Hex(data);
    for (size_t piece = 1; piece <= 130; ++piece) {
        Md5Context context;
        Md5Init(&context);
        for (size_t pos = 0; pos < data.size(); pos += piece) {
            Md5Update(&context, data.data() + pos, std::min(piece, data.size() - pos));
        }
        unsigned char digest[16];
        Md5Final(digest, &context);
        EXPECT_EQ(BytesToHex(std::string(reinterpret_cast<char*>(digest), 16)), whole) << "piece " << piece;
    }
}

TEST(Md5, FinalClearsTheContext) {
    Md5Context context;
    Md5Init(&context);
    Md5Update(&context, "abc", 3);
    unsigned char digest[16];
    Md5Final(digest, &context);
    const unsigned char* raw = reinterpret_cast<const unsigned char*>(&context);
    for (size_t i = 0; i < sizeof(context); ++i) ASSERT_EQ(raw[i], 0) << i;
}

TEST(Md5, MillionAs) {
    EXPECT_EQ(Md5Hex(std::string(1000000, 'a')), L"7707D6AE4E027C70EEA2A935C2296F21");
}

}  // namespace
