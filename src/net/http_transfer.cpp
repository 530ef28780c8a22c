#include "net/http_transfer.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cwchar>

#include "framework/internet_handle.h"
#include "net/request_timing.h"
#include "net/request_url.h"

#ifndef TROVAN_HTTP_READ_SIZE
#define TROVAN_HTTP_READ_SIZE 1024
#endif

static_assert(TROVAN_HTTP_READ_SIZE > 0, "the read size must be positive");
const uint32_t HttpTransfer::kReadSize = TROVAN_HTTP_READ_SIZE;

namespace {

const wchar_t kAccept[] = L"Accept: */*";
const wchar_t kUserAgent[] =
    L"User-Agent:Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    L"Chrome/45.0.2454.101 Safari/537.36";
const wchar_t kFormContentType[] = L"Content-Type:application/x-www-form-urlencoded;charset=UTF-8";
const wchar_t kJsonContentType[] = L"Content-Type:application/json;charset=UTF-8";

// The verbs by their index; callers use only POST and GET.
const wchar_t* const kVerbs[] = {L"POST", L"GET", L"HEAD", L"PUT"};

// The program's own name (file name without extension) is the WinINet agent.
std::wstring AgentName() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, n < MAX_PATH ? n : 0);
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) name.erase(dot);
    return name.empty() ? std::wstring(L"launcher") : name;
}

bool SetNumberOption(HINTERNET handle, DWORD option, DWORD value) {
    return ::InternetSetOptionW(handle, option, &value, sizeof(value)) != FALSE;
}

}  // namespace

void HttpTransfer::UseFormHeaders() { m_headers = {kAccept, kUserAgent, kFormContentType}; }

void HttpTransfer::UseJsonHeaders() { m_headers = {kAccept, kUserAgent, kJsonContentType}; }

std::wstring HttpTransfer::BuildHeaderText() const {
    std::wstring text;
    for (const std::wstring& line : m_headers) {
        text += line;
        text += L"\r\n";
    }
    return text;
}

int32_t HttpTransfer::Execute(const std::wstring& url, DownloadDataProcessor* processor, int32_t verb,
                              const std::string& postData, int64_t rangeStart, uint32_t rangeLength) {
    m_bCancel.exchange(0);
    int32_t result = -1;
    if (processor == nullptr) return -1;
    if (verb < 0 || verb >= static_cast<int32_t>(sizeof(kVerbs) / sizeof(kVerbs[0]))) return -1;

    std::wstring address = url;
    std::replace(address.begin(), address.end(), L'\\', L'/');
    // One stamp for all attempts: every attempt asks for the same address.
    address = AddTimeParameter(address, std::to_wstring(CurrentUnixSeconds()));
    RequestUrlParts parts;
    if (!ParseRequestUrl(address, &parts)) return -1;

    for (int32_t attempt = 1; attempt <= m_nAttempts; ++attempt) {
        result = RunAttempt(parts, processor, kVerbs[verb], postData, rangeStart, rangeLength, result);
        // The processor hears the end of every attempt, also when no body was read.
        if (processor->EndData() == 0) result = -3;
        if (m_bCancel.load() != 0) {
            result = -2;
            break;
        }
        if (result == 200) break;
        // The pause also follows the last failed attempt.
        PauseBetweenAttempts(kPauseBetweenAttemptsMs);
    }
    return result;
}

int32_t HttpTransfer::RunAttempt(const RequestUrlParts& parts, DownloadDataProcessor* processor, const wchar_t* verb,
                                 const std::string& postData, int64_t rangeStart, uint32_t rangeLength,
                                 int32_t previous) {
    // Every attempt opens and closes its own handles (closed in reverse order on return).
    fw::UniqueInternetHandle session(
        ::InternetOpenW(AgentName().c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return -3;
    std::wstring headers = BuildHeaderText();
    if (!SetNumberOption(session.Get(), INTERNET_OPTION_SEND_TIMEOUT, 3000) ||
        !SetNumberOption(session.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, 30000) ||
        !SetNumberOption(session.Get(), INTERNET_OPTION_DATA_SEND_TIMEOUT, 3000) ||
        !SetNumberOption(session.Get(), INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, 30000) ||
        !SetNumberOption(session.Get(), INTERNET_OPTION_CONNECT_RETRIES, 5))
        return -3;

    fw::UniqueInternetHandle connection(::InternetConnectW(session.Get(), parts.server.c_str(), parts.port, nullptr,
                                                           nullptr, INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection) return -3;
    fw::UniqueInternetHandle request(::HttpOpenRequestW(connection.Get(), verb, parts.object.c_str(), L"HTTP/1.0",
                                                        nullptr, nullptr, RequestFlagsFor(parts), 1));
    if (!request) return -3;

    if (rangeStart >= 0) {
        wchar_t range[96];
        std::swprintf(range, sizeof(range) / sizeof(range[0]), L"Range: bytes=%lld-%lld\r\n",
                      static_cast<long long>(rangeStart),
                      static_cast<long long>(rangeStart + static_cast<int64_t>(rangeLength) - 1));
        headers += range;
    }
    const bool post = std::wcscmp(verb, L"POST") == 0;
    void* body = post && !postData.empty() ? const_cast<char*>(postData.data()) : nullptr;
    const DWORD bodyLength = post ? static_cast<DWORD>(postData.size()) : 0;
    if (!::HttpSendRequestW(request.Get(), headers.c_str(), static_cast<DWORD>(headers.size()), body, bodyLength))
        return -3;

    wchar_t statusText[32] = {};
    DWORD statusSize = sizeof(statusText);
    if (!::HttpQueryInfoW(request.Get(), HTTP_QUERY_STATUS_CODE, statusText, &statusSize, nullptr))
        return previous;  // no status: the attempt failed and the result stays as it was
    const int32_t status = static_cast<int32_t>(std::wcstol(statusText, nullptr, 10));
    if (status != 200 && status != 206) return status;

    DWORD contentLength = 0;
    DWORD lengthSize = sizeof(contentLength);
    const bool hasLength = ::HttpQueryInfoW(request.Get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                                            &contentLength, &lengthSize, nullptr) != FALSE;
    if (!hasLength) contentLength = 0;
    if (processor->BeginData(contentLength) == 0) return -5;

    // A 200 to a ranged request is the whole resource (the server or a proxy ignored Range):
    // only the asked-for bytes may reach the processor.
    const bool cutRange = rangeStart >= 0 && status == 200;
    return ReadBody(request.Get(), processor, cutRange, rangeStart, rangeLength, hasLength, contentLength);
}

int32_t HttpTransfer::ReadBody(HINTERNET request, DownloadDataProcessor* processor, bool cutRange, int64_t rangeStart,
                               uint32_t rangeLength, bool hasLength, uint32_t contentLength) {
    std::vector<char> buffer(kReadSize);
    int64_t skip = cutRange ? rangeStart : 0;
    int64_t wanted = cutRange ? static_cast<int64_t>(rangeLength) : -1;
    uint64_t received = 0;
    for (;;) {
        if (m_bCancel.load() != 0) return 200;  // Execute turns it into -2 after EndData
        if (wanted == 0) return 200;            // the range is complete; the rest is not needed
        DWORD got = 0;
        if (!::InternetReadFile(request, buffer.data(), kReadSize, &got)) return -3;
        if (got == 0) {
            // The end of the body: a body shorter than announced, or a whole resource that
            // ends before the range does, was not received completely.
            if (hasLength && received < contentLength) return -3;
            if (wanted > 0) return -3;
            return 200;
        }
        received += got;
        const char* data = buffer.data();
        DWORD count = got;
        if (skip > 0) {
            const DWORD dropped = static_cast<DWORD>(std::min<int64_t>(skip, count));
            data += dropped;
            count -= dropped;
            skip -= dropped;
        }
        if (wanted > 0 && count > wanted) count = static_cast<DWORD>(wanted);
        if (count == 0) continue;
        if (processor->WriteData(data, count) == 0) return -4;
        if (wanted > 0) wanted -= count;
    }
}
