#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "net/notice_request.h"

namespace {

NoticeRequestParams LauncherParams() {
    NoticeRequestParams p;
    p.deviceId = L"0A1B2C3D4E5F";
    p.language = L"Chinese";
    p.packageName = L"com.koltra.zorn.pc.flash";
    p.version = L"1.2.3.4";
    p.channelId = L"100008";
    return p;
}

TEST(NoticeBody, ExactTextWithoutEscapes) {
    EXPECT_EQ(QXNoticeRequest::FormatBody(1700000000, LauncherParams()),
              L"{\"Timestamp\":\"1700000000\",\"deviceID\":\"0A1B2C3D4E5F\",\"language\":\"Chinese\","
              L"\"packagename\":\"com.koltra.zorn.pc.flash\",\"sign\":\"\",\"version\":\"1.2.3.4\","
              L"\"deviceModel\":\"\",\"cpu\":\"\",\"match_quality\":\"-1\",\"channel_id\":\"100008\","
              L"\"app_channel_id\":\"\",\"deviceOS\":\"weiduan\"}");
}

TEST(NoticeBody, ValuesAreEscapedAsJsonStrings) {
    struct Case {
        std::wstring value, json;
    } cases[] = {
        {L"a\"b", L"a\\\"b"},     {L"C:\\x", L"C:\\\\x"}, {L"l1\nl2\t", L"l1\\nl2\\t"},
        {std::wstring(1, L'\x01'), L"\\u0001"}, {L"中文/é", L"中文/é"},
    };
    for (const Case& c : cases) {
        NoticeRequestParams p = LauncherParams();
        p.cpu = c.value;
        const std::wstring body = QXNoticeRequest::FormatBody(1, p);
        EXPECT_NE(body.find(L"\"cpu\":\"" + c.json + L"\","), std::wstring::npos) << body;
    }
}

struct AnswerCase {
    const char* body;
    int status;
    RequestNoticeResult result;
    std::wstring url;
    std::vector<std::wstring> codes;
};

TEST(NoticeAnswer, Results) {
    const AnswerCase cases[] = {
        {R"({"Code":"a|b","PCPackageURL":"u"})", 200, NoticeResultSuccess, L"u", {L"a", L"b"}},
        {R"({"PCPackageURL":""})", 200, NoticeResultNoUrl, L"", {}},
        {R"({"Code":"x"})", 200, NoticeResultParseFailed, L"", {L"x"}},
        {R"({"Code":"x","PCPackageURL":null})", 200, NoticeResultParseFailed, L"", {L"x"}},
        {"not json", 200, NoticeResultParseFailed, L"", {}},
        {"", 200, NoticeResultParseFailed, L"", {}},
        {R"({"Code":"a||b","PCPackageURL":"u"})", 200, NoticeResultSuccess, L"u", {L"a", L"b"}},
        {R"({"Code":"a| |b","PCPackageURL":"u"})", 200, NoticeResultSuccess, L"u", {L"a"}},
        {R"({"Code":"a| b","PCPackageURL":"u"})", 200, NoticeResultSuccess, L"u", {L"a", L"b"}},
        {R"({"PCPackageURL":"u","Other":[1,2]})", 200, NoticeResultSuccess, L"u", {}},
        // Not an object, or members that are not strings: unusable, never a crash.
        {R"(["PCPackageURL"])", 200, NoticeResultParseFailed, L"", {}},
        {"\"text\"", 200, NoticeResultParseFailed, L"", {}},
        {"42", 200, NoticeResultParseFailed, L"", {}},
        {"null", 200, NoticeResultParseFailed, L"", {}},
        {R"({"PCPackageURL":{"a":1}})", 200, NoticeResultParseFailed, L"", {}},
        {R"({"PCPackageURL":["u"]})", 200, NoticeResultParseFailed, L"", {}},
        {R"({"PCPackageURL":7})", 200, NoticeResultParseFailed, L"", {}},
        {R"({"Code":["a"],"PCPackageURL":"u"})", 200, NoticeResultParseFailed, L"", {}},
        {R"({"Code":"a","PCPackageURL":"u"})", 500, NoticeResultRequestFailed, L"", {}},
        {R"({"Code":"a","PCPackageURL":"u"})", -2, NoticeResultRequestFailed, L"", {}},
    };
    for (const AnswerCase& c : cases) {
        std::wstring url = L"stale";
        std::vector<std::wstring> codes = {L"stale"};
        EXPECT_EQ(QXNoticeRequest::ParseAnswer(c.body, c.status, &url, &codes), c.result) << c.body;
        EXPECT_EQ(url, c.url) << c.body;
        EXPECT_EQ(codes, c.codes) << c.body;
    }
}

TEST(NoticeAnswer, Utf8AddressIsReadInTheAnsiCodePage) {
    // "http://h/中" in UTF-8: decoded, then read through the ANSI code page (936 in the tests).
    std::wstring url;
    std::vector<std::wstring> codes;
    EXPECT_EQ(QXNoticeRequest::ParseAnswer("{\"PCPackageURL\":\"http://h/\xE4\xB8\xAD\"}", 200, &url, &codes),
              NoticeResultSuccess);
    if (::GetACP() == 936) {
        EXPECT_EQ(url, L"http://h/\x4E2D");
    }
}

TEST(LauncherNoticeUpgradeInfo, CloneCopiesTheValues) {
    const LauncherNoticeUpgradeInfo info(L"u", NoticeResultNoUrl, {L"a", L"b"});
    std::unique_ptr<ResourceManagerProgressInfoBase> copy(info.Clone());
    const auto* notice = dynamic_cast<const LauncherNoticeUpgradeInfo*>(copy.get());
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->packageUrl, L"u");
    EXPECT_EQ(notice->result, NoticeResultNoUrl);
    EXPECT_EQ(notice->codeList, (std::vector<std::wstring>{L"a", L"b"}));
}

}  // namespace
