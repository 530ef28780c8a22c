#include <gtest/gtest.h>

#include <json/json.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "app/text_helpers.h"
#include "net/notice_request.h"
#include "transport_fixture.h"

namespace {

struct Answer {
    std::wstring url;
    RequestNoticeResult result = static_cast<RequestNoticeResult>(0);
    std::vector<std::wstring> codes;
};

class NoticeRequestTest : public TransportTest {
protected:
    void SetUp() override {
        TransportTest::SetUp();
        request.SetServer(FaultServer::Host(), FaultServer::Port());
        request.SetCallback([this](std::wstring url, RequestNoticeResult result, std::vector<std::wstring> codes) {
            std::lock_guard<std::mutex> lock(mutex);
            answers.push_back({url, result, codes});
            changed.notify_all();
        });
        params.deviceId = L"0A1B2C3D4E5F";
        params.language = L"Chinese";
        params.packageName = L"com.koltra.zorn.pc.flash";
        params.version = L"1.0.0.7";
        params.channelId = L"100008";
    }
    Answer SendAndWait(const std::string& rules) {
        if (!rules.empty()) {
            EXPECT_TRUE(FaultServer::AddRules(rules));
        }
        const size_t before = Count();
        EXPECT_EQ(request.Send(params), 1);
        std::unique_lock<std::mutex> lock(mutex);
        EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(30), [&] { return answers.size() > before; }));
        return answers.empty() ? Answer() : answers.back();
    }
    size_t Count() {
        std::lock_guard<std::mutex> lock(mutex);
        return answers.size();
    }

    NoticeRequestParams params;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Answer> answers;
    QXNoticeRequest request;  // last: gone before the state its callback writes
};

TEST_F(NoticeRequestTest, PostsTheDescriptionAndReadsTheAnswer) {
    const Answer a = SendAndWait(R"({"path": "/notice_upgrade", "body": "{\"Code\":\"a|b\",\"PCPackageURL\":\"u\"}"})");
    EXPECT_EQ(a.result, NoticeResultSuccess);
    EXPECT_EQ(a.url, L"u");
    EXPECT_EQ(a.codes, (std::vector<std::wstring>{L"a", L"b"}));

    const std::vector<RecordedRequest> log = FaultServer::Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].requestLine, "POST /notice_upgrade?t=1700000000 HTTP/1.0");
    EXPECT_EQ(log[0].body,
              "{\"Timestamp\":\"1700000000\",\"deviceID\":\"0A1B2C3D4E5F\",\"language\":\"Chinese\","
              "\"packagename\":\"com.koltra.zorn.pc.flash\",\"sign\":\"\",\"version\":\"1.0.0.7\","
              "\"deviceModel\":\"\",\"cpu\":\"\",\"match_quality\":\"-1\",\"channel_id\":\"100008\","
              "\"app_channel_id\":\"\",\"deviceOS\":\"weiduan\"}");
    bool formPreset = false;
    for (const std::string& line : log[0].headers)
        formPreset |= line == "Content-Type: application/x-www-form-urlencoded;charset=UTF-8";
    EXPECT_TRUE(formPreset);
}

TEST_F(NoticeRequestTest, ResultValues) {
    struct Case {
        const char* rule;
        RequestNoticeResult result;
        std::wstring url;
        std::vector<std::wstring> codes;
    } cases[] = {
        {R"({"body": "{\"PCPackageURL\":\"\"}"})", NoticeResultNoUrl, L"", {}},
        {R"({"body": "{\"Code\":\"x\"}"})", NoticeResultParseFailed, L"", {L"x"}},
        {R"({"body": "<html>busy</html>"})", NoticeResultParseFailed, L"", {}},
        {R"({"body": "[1,2]"})", NoticeResultParseFailed, L"", {}},
        {R"({"body": "{\"Code\":\"a||b\",\"PCPackageURL\":\"http://cdn/p/\"}", "bom": true})", NoticeResultSuccess,
         L"http://cdn/p/", {L"a", L"b"}},
    };
    for (const Case& c : cases) {
        const Answer a = SendAndWait(c.rule);
        EXPECT_EQ(a.result, c.result) << c.rule;
        EXPECT_EQ(a.url, c.url) << c.rule;
        EXPECT_EQ(a.codes, c.codes) << c.rule;
    }
    EXPECT_EQ(FaultServer::Log().size(), 5u);  // one request per Send, on the same worker task
    EXPECT_EQ(pauses, 0);
}

TEST_F(NoticeRequestTest, FailingServerGivesRequestFailedAfterFiveAttempts) {
    const Answer a = SendAndWait(R"({"status": 500, "times": -1})");
    EXPECT_EQ(a.result, NoticeResultRequestFailed);
    EXPECT_TRUE(a.url.empty());
    EXPECT_EQ(FaultServer::Log().size(), 5u);
    EXPECT_EQ(pauses, 5);
    EXPECT_EQ(pauseMs, 5000u);
}

TEST_F(NoticeRequestTest, ValuesNeedingEscapesStillMakeValidJson) {
    params.deviceModel = L"Box \"X\" \\ 2";
    params.cpu = L"中文";
    SendAndWait(R"({"body": "{\"PCPackageURL\":\"u\"}"})");
    const std::vector<RecordedRequest> log = FaultServer::Log();
    ASSERT_EQ(log.size(), 1u);
    Json::Value root;
    Json::Reader reader;
    ASSERT_TRUE(reader.parse(log[0].body, root)) << log[0].body;
    EXPECT_EQ(root["deviceModel"].asString(), "Box \"X\" \\ 2");
    EXPECT_EQ(root["cpu"].asString(), "\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_EQ(root["Timestamp"].asString(), "1700000000");
}

}  // namespace
