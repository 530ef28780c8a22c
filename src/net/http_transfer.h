#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "net/download_data_processor.h"

struct RequestUrlParts;

// One HTTP request over WinINet, repeated up to m_nAttempts times with a five-second pause
// between attempts, its body streamed into a processor. Result codes of Execute:
//   200  the body arrived completely (a 206 answer counts as 200)
//   >0   the HTTP status of the last attempt when it was neither 200 nor 206
//   -1   no processor, an address that cannot be parsed, or no attempt made
//   -2   cancelled through m_bCancel
//   -3   a WinINet call of the last attempt failed, the body was cut short, or EndData refused
//   -4   WriteData refused a chunk
//   -5   BeginData refused the response
class HttpTransfer {
public:
    static constexpr int32_t kVerbPost = 0;
    static constexpr int32_t kVerbGet = 1;
    static constexpr uint32_t kPauseBetweenAttemptsMs = 5000;
    // Bytes asked for per read, so per WriteData at most (a build setting, 1024 normally).
    static const uint32_t kReadSize;

    HttpTransfer() = default;
    ~HttpTransfer() { m_headers.clear(); }
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    void UseFormHeaders();
    void UseJsonHeaders();
    // Every header line followed by CR LF, in list order.
    std::wstring BuildHeaderText() const;

    // url: absolute http or https address (backslashes are taken as slashes). processor: not
    // owned. verb: kVerbPost or kVerbGet. postData: the body of a POST. rangeStart < 0 asks for
    // the whole body, otherwise the bytes [rangeStart, rangeStart + rangeLength).
    int32_t Execute(const std::wstring& url, DownloadDataProcessor* processor, int32_t verb,
                    const std::string& postData, int64_t rangeStart, uint32_t rangeLength);

    std::vector<std::wstring> m_headers;
    // Written with 1 from other threads to cancel; cleared by every Execute.
    std::atomic<int32_t> m_bCancel{0};
    // Attempts of the next Execute; the owning task writes its own count before every call.
    int32_t m_nAttempts = 1;

private:
    int32_t RunAttempt(const RequestUrlParts& parts, DownloadDataProcessor* processor, const wchar_t* verb,
                       const std::string& postData, int64_t rangeStart, uint32_t rangeLength, int32_t previous);
    int32_t ReadBody(HINTERNET request, DownloadDataProcessor* processor, bool cutRange, int64_t rangeStart,
                     uint32_t rangeLength, bool hasLength, uint32_t contentLength);
};
