#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>
#include <string>
#include <vector>

#include "app/text_helpers.h"
#include "net/download_text_processor.h"
#include "net/http_transfer.h"
#include "recording_processor.h"
#include "transport_fixture.h"

namespace {

const char kForm[] = "Content-Type:application/x-www-form-urlencoded;charset=UTF-8";
const char kUserAgent[] =
    "User-Agent:Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/45.0.2454.101 Safari/537.36";

// WinINet parses the header text and sends every line as "Name: value".
std::string OnTheWire(const std::string& line) {
    const size_t colon = line.find(':');
    return line[colon + 1] == ' ' ? line : line.substr(0, colon + 1) + " " + line.substr(colon + 1);
}

std::vector<std::string> WithPrefix(const RecordedRequest& request, const std::string& prefix) {
    std::vector<std::string> lines;
    for (const std::string& line : request.headers)
        if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
    return lines;
}

std::string Pattern(size_t size) {
    std::string bytes;
    for (size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>('a' + (i * 7 + i / 26) % 26));
    return bytes;
}

class HttpTransferTest : public TransportTest {
protected:
    void SetUp() override {
        TransportTest::SetUp();
        transfer.UseFormHeaders();
    }
    int32_t Get(const std::wstring& path, int64_t rangeStart = -1, uint32_t rangeLength = 0) {
        return transfer.Execute(FaultServer::Url(path), &processor, HttpTransfer::kVerbGet, "", rangeStart, rangeLength);
    }

    HttpTransfer transfer;
    RecordingProcessor processor;
};

TEST(HttpTransferHeaders, PresetsAndHeaderText) {
    HttpTransfer transfer;
    transfer.UseFormHeaders();
    EXPECT_EQ(transfer.BuildHeaderText(),
              L"Accept: */*\r\n" + AnsiToWide(kUserAgent) + L"\r\n" + AnsiToWide(kForm) + L"\r\n");
    transfer.UseJsonHeaders();
    ASSERT_EQ(transfer.m_headers.size(), 3u);
    EXPECT_EQ(transfer.m_headers[2], L"Content-Type:application/json;charset=UTF-8");
}

TEST_F(HttpTransferTest, RequestLineHeadersAndTimeParameter) {
    ASSERT_TRUE(FaultServer::PutFile("a", "x"));
    struct Case {
        const wchar_t* path;
        const char* target;
    } cases[] = {
        {L"/a", "/a?t=1700000000"},
        {L"/a?x=1", "/a?x=1&t=1700000000"},
        {L"/a?", "/a?t=1700000000"},
        {L"/a?x", "/a?xt=1700000000"},
    };
    for (const Case& c : cases) ASSERT_EQ(Get(c.path), 200) << c.target;
    const std::vector<RecordedRequest> log = FaultServer::Log();
    ASSERT_EQ(log.size(), 4u);
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].requestLine, std::string("GET ") + cases[i].target + " HTTP/1.0");
        // The three preset lines in their order, nothing else of ours, no Range.
        std::vector<std::string> ours;
        for (const std::string& line : log[i].headers)
            if (line.rfind("Accept:", 0) == 0 || line.rfind("User-Agent:", 0) == 0 || line.rfind("Content-Type:", 0) == 0)
                ours.push_back(line);
        EXPECT_EQ(ours, (std::vector<std::string>{"Accept: */*", OnTheWire(kUserAgent), OnTheWire(kForm)}));
        EXPECT_TRUE(WithPrefix(log[i], "Range:").empty());
    }
}

TEST_F(HttpTransferTest, BackslashesBecomeSlashes) {
    ASSERT_TRUE(FaultServer::PutFile("dir/file.txt", "x"));
    ASSERT_EQ(transfer.Execute(FaultServer::Url(L"\\dir\\file.txt"), &processor, HttpTransfer::kVerbGet, "", -1, 0), 200);
    ASSERT_EQ(FaultServer::Log().size(), 1u);
    EXPECT_EQ(FaultServer::Log()[0].target, "/dir/file.txt?t=1700000000");
}

TEST_F(HttpTransferTest, RangeHeaderLines) {
    struct Case {
        int64_t start;
        uint32_t length;
        const char* header;
    } cases[] = {
        {0, 1, "Range: bytes=0-0"},
        {10, 6, "Range: bytes=10-15"},
        {4294967296LL, 16, "Range: bytes=4294967296-4294967311"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(FaultServer::Reset());
        ASSERT_TRUE(FaultServer::AddRules(R"({"status": 404})"));
        transfer.m_nAttempts = 1;
        Get(L"/r", c.start, c.length);
        const std::vector<RecordedRequest> log = FaultServer::Log();
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(WithPrefix(log[0], "Range:"), std::vector<std::string>{c.header});
    }
}

TEST_F(HttpTransferTest, PostSendsTheBodyUnchanged) {
    ASSERT_TRUE(FaultServer::AddRules(R"({"path": "/post", "body": "ok"})"));
    const std::string body("{\"k\":\"\xE4\xB8\xAD\"}\0z", 13);
    ASSERT_EQ(transfer.Execute(FaultServer::Url(L"/post"), &processor, HttpTransfer::kVerbPost, body, -1, 0), 200);
    const std::vector<RecordedRequest> log = FaultServer::Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].requestLine, "POST /post?t=1700000000 HTTP/1.0");
    EXPECT_EQ(log[0].body, body);
    EXPECT_EQ(processor.attemptBytes, "ok");
}

TEST_F(HttpTransferTest, SuccessAndPartialContentAreTwoHundred) {
    const std::string content = Pattern(5000);
    ASSERT_TRUE(FaultServer::PutFile("f.bin", content));
    EXPECT_EQ(Get(L"/f.bin"), 200);
    EXPECT_EQ(processor.attemptBytes, content);
    EXPECT_EQ(processor.calls.front(), "begin 5000");
    EXPECT_EQ(processor.Count("end"), 1);
    // Chunks of at most the read size (1024 bytes unless a benchmark build raised it).
    for (const std::string& call : processor.calls) {
        if (call.rfind("write ", 0) == 0) {
            EXPECT_LE(std::stoul(call.substr(6)), HttpTransfer::kReadSize);
        }
    }
    EXPECT_GE(processor.Count("write"), static_cast<int>((5000 + HttpTransfer::kReadSize - 1) / HttpTransfer::kReadSize));

    RecordingProcessor ranged;
    EXPECT_EQ(transfer.Execute(FaultServer::Url(L"/f.bin"), &ranged, HttpTransfer::kVerbGet, "", 1000, 2500), 200);
    EXPECT_EQ(ranged.attemptBytes, content.substr(1000, 2500));
    EXPECT_EQ(ranged.calls.front(), "begin 2500");
    EXPECT_EQ(pauses, 0);
}

TEST_F(HttpTransferTest, RangeIgnoredByTheServerDeliversOnlyTheRange) {
    const std::string content = Pattern(3000);
    ASSERT_TRUE(FaultServer::PutFile("f.bin", content));
    ASSERT_TRUE(FaultServer::AddRules(R"([{"ignore_range": true, "times": -1}])"));
    struct Case {
        int64_t start;
        uint32_t length;
    } cases[] = {{0, 10}, {1500, 700}, {1020, 8}, {2990, 10}};
    for (const Case& c : cases) {
        RecordingProcessor p;
        EXPECT_EQ(transfer.Execute(FaultServer::Url(L"/f.bin"), &p, HttpTransfer::kVerbGet, "", c.start, c.length), 200);
        EXPECT_EQ(p.attemptBytes, content.substr(static_cast<size_t>(c.start), c.length)) << c.start;
    }
    // A whole resource that ends before the range does is no success.
    RecordingProcessor shortOne;
    transfer.m_nAttempts = 1;
    EXPECT_EQ(transfer.Execute(FaultServer::Url(L"/f.bin"), &shortOne, HttpTransfer::kVerbGet, "", 2900, 200), -3);
}

TEST_F(HttpTransferTest, StatusIsRetriedWithPausesThenReturned) {
    ASSERT_TRUE(FaultServer::AddRules(R"({"status": 404, "times": -1})"));
    transfer.m_nAttempts = 10;
    EXPECT_EQ(Get(L"/missing"), 404);
    EXPECT_EQ(FaultServer::Log().size(), 10u);
    EXPECT_EQ(pauses, 10);
    EXPECT_EQ(pauseMs, 5000u);
    // No body for a failed status, but EndData after every attempt.
    EXPECT_EQ(processor.Count("begin"), 0);
    EXPECT_EQ(processor.Count("end"), 10);
}

TEST_F(HttpTransferTest, ProcessorRefusals) {
    ASSERT_TRUE(FaultServer::PutFile("f.bin", "0123456789"));
    struct Case {
        bool begin, write, end;
        int32_t code;
    } cases[] = {{true, false, false, -5}, {false, true, false, -4}, {false, false, true, -3}};
    for (const Case& c : cases) {
        ASSERT_TRUE(FaultServer::Reset());
        RecordingProcessor p;
        p.refuseBegin = c.begin;
        p.refuseWrite = c.write;
        p.refuseEnd = c.end;
        transfer.m_nAttempts = 2;
        pauses = 0;
        EXPECT_EQ(transfer.Execute(FaultServer::Url(L"/f.bin"), &p, HttpTransfer::kVerbGet, "", -1, 0), c.code);
        EXPECT_EQ(FaultServer::Log().size(), 2u);
        EXPECT_EQ(p.Count("begin"), 2);
        EXPECT_EQ(p.Count("end"), 2);
        EXPECT_EQ(pauses, 2);
    }
}

TEST_F(HttpTransferTest, CancelWhileReading) {
    ASSERT_TRUE(FaultServer::PutFile("f.bin", Pattern(10000)));
    transfer.m_nAttempts = 3;
    processor.onWrite = [this] { transfer.m_bCancel.exchange(1); };
    EXPECT_EQ(Get(L"/f.bin"), -2);
    EXPECT_EQ(processor.Count("write"), 1);
    EXPECT_EQ(processor.calls.back(), "end");
    EXPECT_EQ(FaultServer::Log().size(), 1u);
    EXPECT_EQ(pauses, 0);
}

TEST_F(HttpTransferTest, CancelDuringThePause) {
    ASSERT_TRUE(FaultServer::PutFile("f.bin", "0123456789"));
    ASSERT_TRUE(FaultServer::AddRules(R"({"status": 503})"));
    onPause = [this] { transfer.m_bCancel.exchange(1); };
    transfer.m_nAttempts = 3;
    // The next attempt is still sent; its 200 is begun but not read.
    EXPECT_EQ(Get(L"/f.bin"), -2);
    EXPECT_EQ(FaultServer::Log().size(), 2u);
    EXPECT_EQ(processor.calls, (std::vector<std::string>{"end", "begin 10", "end"}));
    EXPECT_EQ(pauses, 1);

    // After the last attempt, that attempt's result stands.
    ASSERT_TRUE(FaultServer::AddRules(R"({"status": 503})"));
    transfer.m_nAttempts = 1;
    EXPECT_EQ(Get(L"/f.bin"), 503);
}

TEST_F(HttpTransferTest, NothingRequested) {
    EXPECT_EQ(transfer.Execute(FaultServer::Url(L"/a"), nullptr, HttpTransfer::kVerbGet, "", -1, 0), -1);
    for (const wchar_t* url : {L"", L"no address", L"ftp://127.0.0.1/a", L"http://"})
        EXPECT_EQ(transfer.Execute(url, &processor, HttpTransfer::kVerbGet, "", -1, 0), -1) << url;
    transfer.m_nAttempts = 0;
    EXPECT_EQ(Get(L"/a"), -1);
    EXPECT_TRUE(processor.calls.empty());
    EXPECT_TRUE(FaultServer::Log().empty());
    EXPECT_EQ(pauses, 0);
}

TEST_F(HttpTransferTest, CutConnectionThenFullAnswer) {
    const std::string content = Pattern(4000);
    ASSERT_TRUE(FaultServer::PutFile("f.bin", content));
    ASSERT_TRUE(FaultServer::AddRules(R"({"close_after": 1500})"));
    DownloadTextProcessor text{DownloadTaskInfo()};
    transfer.m_nAttempts = 3;
    EXPECT_EQ(transfer.Execute(FaultServer::Url(L"/f.bin"), &text, HttpTransfer::kVerbGet, "", -1, 0), 200);
    EXPECT_EQ(FaultServer::Log().size(), 2u);
    EXPECT_EQ(pauses, 1);
    std::string body;
    ASSERT_TRUE(text.GetData(&body));
    EXPECT_EQ(body, content);  // nothing of the cut attempt is left
}

TEST_F(HttpTransferTest, AnswersAreNotWrittenToTheUserCache) {
    ASSERT_TRUE(FaultServer::PutFile("c.bin", "not for the cache"));
    ASSERT_EQ(Get(L"/c.bin"), 200);
    const std::wstring url = FaultServer::Url(L"/c.bin?t=1700000000");
    DWORD size = 0;
    EXPECT_FALSE(::GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(HttpTransferTest, HttpsIsSentOverTls) {
    // An https address on another port than 443 must speak TLS; the plain server sees a handshake.
    transfer.m_nAttempts = 1;
    const std::wstring url = L"https://127.0.0.1:" + std::to_wstring(FaultServer::Port()) + L"/a";
    EXPECT_EQ(transfer.Execute(url, &processor, HttpTransfer::kVerbGet, "", -1, 0), -3);
    const std::vector<RecordedRequest> log = FaultServer::Log();
    ASSERT_FALSE(log.empty());
    EXPECT_TRUE(log[0].tls);
}

}  // namespace
