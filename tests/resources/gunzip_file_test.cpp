#include <gtest/gtest.h>

#include <windows.h>

#include <zlib.h>

#include "app/text_helpers.h"
#include "resources/file_store.h"
#include "resources/scratch_folder.h"

using resources_test::ReadBytes;
using resources_test::ScratchFolder;
using resources_test::WriteBytes;

namespace {

// One gzip member holding the bytes, as the publishing side packs each file.
std::string Gzip(const std::string& content) {
    z_stream stream = {};
    EXPECT_EQ(deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&stream, static_cast<uLong>(content.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// Content that does not compress to nothing, so that cuts land inside the deflate data.
std::string Sample(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>((state >> 16) % 61 + ' ');
    }
    return bytes;
}

TEST(GunzipFileTest, UnpacksOneStream) {
    ScratchFolder scratch;
    const std::string content = Sample(3000, 1);
    ASSERT_TRUE(WriteBytes(scratch / L"a.t", Gzip(content)));
    EXPECT_TRUE(GunzipFile(scratch / L"a", scratch / L"a.t"));
    EXPECT_EQ(ReadBytes(scratch / L"a"), content);
}

TEST(GunzipFileTest, ReplacesAnOlderDestination) {
    ScratchFolder scratch;
    ASSERT_TRUE(WriteBytes(scratch / L"a", std::string(10000, 'o')));
    ASSERT_TRUE(WriteBytes(scratch / L"a.t", Gzip("new")));
    EXPECT_TRUE(GunzipFile(scratch / L"a", scratch / L"a.t"));
    EXPECT_EQ(ReadBytes(scratch / L"a"), "new");
}

TEST(GunzipFileTest, ConcatenatedMembersGiveTheirContentsInOrder) {
    ScratchFolder scratch;
    const std::string first = Sample(1500, 2);
    const std::string second = Sample(2500, 3);
    ASSERT_TRUE(WriteBytes(scratch / L"a.t", Gzip(first) + Gzip(second) + Gzip("")));
    EXPECT_TRUE(GunzipFile(scratch / L"a", scratch / L"a.t"));
    EXPECT_EQ(ReadBytes(scratch / L"a"), first + second);
}

TEST(GunzipFileTest, PlainFilesAreCopiedUnchanged) {
    ScratchFolder scratch;
    for (const std::string& plain : {Sample(5000, 4), std::string("\x1f"), std::string(), std::string("x\0y", 3)}) {
        ASSERT_TRUE(WriteBytes(scratch / L"plain", plain));
        EXPECT_TRUE(GunzipFile(scratch / L"copy", scratch / L"plain")) << plain.size();
        EXPECT_EQ(ReadBytes(scratch / L"copy"), plain);
    }
}

TEST(GunzipFileTest, DamagedStreamsFail) {
    const std::string packed = Gzip(Sample(3000, 5));
    ASSERT_GT(packed.size(), 100u);
    std::string badCrc = packed;
    badCrc[badCrc.size() - 8] ^= 0x01;  // first byte of the CRC-32 in the trailer
    std::string badLength = packed;
    badLength[badLength.size() - 1] ^= 0x01;  // last byte of the length in the trailer
    struct Case {
        const char* label;
        std::string bytes;
    };
    const Case cases[] = {
        {"cut in the middle", packed.substr(0, packed.size() / 2)},
        {"trailer missing", packed.substr(0, packed.size() - 8)},
        {"trailer half there", packed.substr(0, packed.size() - 3)},
        {"header only", packed.substr(0, 10)},
        {"bad crc", badCrc},
        {"bad length", badLength},
        {"second member cut", packed + packed.substr(0, packed.size() - 4)},
    };
    ScratchFolder scratch;
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteBytes(scratch / L"a.t", c.bytes));
        EXPECT_FALSE(GunzipFile(scratch / L"a", scratch / L"a.t")) << c.label;
    }
}

TEST(GunzipFileTest, MissingSourceCreatesNoDestination) {
    ScratchFolder scratch;
    EXPECT_FALSE(GunzipFile(scratch / L"a", scratch / L"missing.t"));
    EXPECT_EQ(ReadBytes(scratch / L"a"), "<missing>");
    EXPECT_TRUE(resources_test::ListFolder(scratch.Path()).empty());
}

TEST(GunzipFileTest, DestinationThatCannotBeOpenedFails) {
    ScratchFolder scratch;
    ASSERT_TRUE(WriteBytes(scratch / L"a.t", Gzip("abc")));
    EXPECT_FALSE(GunzipFile(scratch / L"no\\such\\folder\\a", scratch / L"a.t"));
    EXPECT_FALSE(GunzipFile(scratch.Path(), scratch / L"a.t"));  // a folder
}

TEST(GunzipFileTest, WidePathsOutsideTheCodePage) {
    ScratchFolder scratch;
    const std::wstring folder = scratch / resources_test::NameOutsideCodePage();
    CreateDirectories(folder);
    const std::string content = Sample(4000, 6);
    ASSERT_TRUE(WriteBytes(folder + L"\\\u0915.t", Gzip(content)));
    EXPECT_TRUE(GunzipFile(folder + L"\\\u0915.dat", folder + L"\\\u0915.t"));
    EXPECT_EQ(ReadBytes(folder + L"\\\u0915.dat"), content);
}

TEST(GunzipFileTest, AnsiPathsTheCodePageCanHold) {
    ScratchFolder scratch;
    const std::wstring folder = scratch / resources_test::NameInsideCodePage();
    ASSERT_EQ(AnsiToWide(WideToAnsi(folder)), folder) << "the code page cannot hold the test's name";
    CreateDirectories(folder);
    ASSERT_TRUE(WriteBytes(folder + L"\\a.t", Gzip("inside")));
    EXPECT_TRUE(GunzipFile(WideToAnsi(folder + L"\\a"), WideToAnsi(folder + L"\\a.t")));
    EXPECT_EQ(ReadBytes(folder + L"\\a"), "inside");
    EXPECT_FALSE(GunzipFile(WideToAnsi(folder + L"\\b"), WideToAnsi(folder + L"\\missing.t")));
}

}  // namespace
