#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/async_http_request.h"
#include "net/notice_result.h"

// What the launcher tells the notice service about itself and the device.
struct NoticeRequestParams : AsyncHttpRequestParams {
    std::wstring deviceId;
    std::wstring language;
    std::wstring packageName;
    std::wstring version;
    std::wstring deviceModel;
    std::wstring cpu;
    std::wstring channelId;
};

// Asks the notice service where the current game package lives: POSTs a JSON description of
// the launcher and the device, reads "PCPackageURL" and "Code" of the answer, and reports them
// through the callback on the worker thread (the callback must not touch windows).
class QXNoticeRequest : public AsyncHttpRequest {
public:
    using Callback = std::function<void(std::wstring packageUrl, RequestNoticeResult result,
                                        std::vector<std::wstring> codeList)>;
    static constexpr uint16_t kNoticePort = 8001;

    QXNoticeRequest();
    ~QXNoticeRequest() override;

    void SetCallback(Callback callback) { m_callback = std::move(callback); }
    using AsyncHttpRequest::Send;
    int Send(const NoticeRequestParams& params);
    // Aims the request at another server; tests use it. Call before Send.
    void SetServer(const std::wstring& host, uint16_t port);

    // The JSON body for the time stamp and the fields, every value a JSON string.
    static std::wstring FormatBody(int64_t timestamp, const NoticeRequestParams& params);
    // The answer's outcome, as OnResponse reports it.
    static RequestNoticeResult ParseAnswer(const std::string& body, int status, std::wstring* packageUrl,
                                           std::vector<std::wstring>* codeList);

protected:
    void BuildRequest(std::wstring* url, std::string* postData) override;
    int GetVerb() override { return HttpTransfer::kVerbPost; }
    // The form preset, although the body is JSON: the service expects it so.
    int UseJsonContentType() override { return 0; }
    int GetAttemptCount() override { return 5; }
    void OnResponse(const std::string& body, int status) override;

    Callback m_callback;

private:
    std::wstring m_host;
    uint16_t m_port = kNoticePort;
};
