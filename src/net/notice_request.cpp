#include "net/notice_request.h"

#include <json/json.h>

#include <cstdio>

#include "app/text_helpers.h"
#include "net/request_timing.h"

#ifndef TROVAN_NOTICE_HOST
#define TROVAN_NOTICE_HOST "127.0.0.1"
#endif

namespace {

// Text as the content of a JSON string (RFC 8259): quotation mark, backslash and control
// characters escaped, everything else unchanged.
std::wstring JsonEscape(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
        case L'"': out += L"\\\""; break;
        case L'\\': out += L"\\\\"; break;
        case L'\b': out += L"\\b"; break;
        case L'\f': out += L"\\f"; break;
        case L'\n': out += L"\\n"; break;
        case L'\r': out += L"\\r"; break;
        case L'\t': out += L"\\t"; break;
        default:
            if (c < 0x20) {
                wchar_t escaped[8];
                std::swprintf(escaped, 8, L"\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out;
}

// A member that is present and not null; false (answer unusable) when it is not a string.
bool ReadStringMember(const Json::Value& root, const char* name, bool* present, std::wstring* value) {
    *present = false;
    if (!root.isMember(name)) return true;
    const Json::Value& member = root[name];
    if (member.isNull()) return true;
    if (!member.isString()) return false;
    *present = true;
    *value = AnsiToWide(member.asString());
    return true;
}

}  // namespace

QXNoticeRequest::QXNoticeRequest() : m_host(L"" TROVAN_NOTICE_HOST) {}

QXNoticeRequest::~QXNoticeRequest() { StopWorker(); }

int QXNoticeRequest::Send(const NoticeRequestParams& params) {
    return AsyncHttpRequest::Send(std::make_unique<NoticeRequestParams>(params));
}

void QXNoticeRequest::SetServer(const std::wstring& host, uint16_t port) {
    m_host = host;
    m_port = port;
}

std::wstring QXNoticeRequest::FormatBody(int64_t timestamp, const NoticeRequestParams& p) {
    return L"{\"Timestamp\":\"" + std::to_wstring(timestamp) + L"\",\"deviceID\":\"" + JsonEscape(p.deviceId) +
           L"\",\"language\":\"" + JsonEscape(p.language) + L"\",\"packagename\":\"" + JsonEscape(p.packageName) +
           L"\",\"sign\":\"\",\"version\":\"" + JsonEscape(p.version) + L"\",\"deviceModel\":\"" +
           JsonEscape(p.deviceModel) + L"\",\"cpu\":\"" + JsonEscape(p.cpu) +
           L"\",\"match_quality\":\"-1\",\"channel_id\":\"" + JsonEscape(p.channelId) +
           L"\",\"app_channel_id\":\"\",\"deviceOS\":\"weiduan\"}";
}

void QXNoticeRequest::BuildRequest(std::wstring* url, std::string* postData) {
    // The engine adds "?t=" and its own time stamp.
    *url = L"http://" + m_host + L":" + std::to_wstring(m_port) + L"/notice_upgrade";
    const auto* params = dynamic_cast<const NoticeRequestParams*>(m_pParams.get());
    const NoticeRequestParams empty;
    postData->clear();
    WideToUtf8(FormatBody(CurrentUnixSeconds(), params != nullptr ? *params : empty), postData);
}

RequestNoticeResult QXNoticeRequest::ParseAnswer(const std::string& body, int status, std::wstring* packageUrl,
                                                 std::vector<std::wstring>* codeList) {
    packageUrl->clear();
    codeList->clear();
    if (status != 200) return NoticeResultRequestFailed;

    // The service's text in the ANSI code page, up to the first zero byte.
    const std::string ansi = WideToAnsi(TextFromBytes(body));
    const std::string text(ansi.c_str());
    try {
        Json::Reader reader;
        Json::Value root;
        if (!reader.parse(text, root) || !root.isObject()) return NoticeResultParseFailed;
        bool hasCode = false;
        std::wstring code;
        if (!ReadStringMember(root, "Code", &hasCode, &code)) return NoticeResultParseFailed;
        if (hasCode) SplitText(code, L"|", codeList);
        bool hasUrl = false;
        std::wstring url;
        if (!ReadStringMember(root, "PCPackageURL", &hasUrl, &url) || !hasUrl) return NoticeResultParseFailed;
        *packageUrl = url;
        return url.empty() ? NoticeResultNoUrl : NoticeResultSuccess;
    } catch (const std::exception&) {
        codeList->clear();
        return NoticeResultParseFailed;
    }
}

void QXNoticeRequest::OnResponse(const std::string& body, int status) {
    std::wstring packageUrl;
    std::vector<std::wstring> codeList;
    const RequestNoticeResult result = ParseAnswer(body, status, &packageUrl, &codeList);
    if (m_callback) m_callback(packageUrl, result, codeList);
}
