#include "net/request_url.h"

#include <vector>

std::wstring AddTimeParameter(const std::wstring& url, const std::wstring& stamp) {
    if (url.find(L'?') == std::wstring::npos) return url + L"?t=" + stamp;
    if (url.find(L'=') != std::wstring::npos) return url + L"&t=" + stamp;
    return url + L"t=" + stamp;
}

bool ParseRequestUrl(const std::wstring& url, RequestUrlParts* out) {
    if (out == nullptr || url.empty()) return false;
    DWORD size = static_cast<DWORD>(url.size() * 3 + 16);
    std::vector<wchar_t> canonical(size);
    if (!::InternetCanonicalizeUrlW(url.c_str(), canonical.data(), &size, ICU_BROWSER_MODE)) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
        canonical.assign(size + 1, L'\0');
        size = static_cast<DWORD>(canonical.size());
        if (!::InternetCanonicalizeUrlW(url.c_str(), canonical.data(), &size, ICU_BROWSER_MODE)) return false;
    }

    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = 1;  // nonzero lengths with null pointers: point into the text
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!::InternetCrackUrlW(canonical.data(), 0, 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
    if (parts.lpszHostName == nullptr || parts.dwHostNameLength == 0) return false;

    RequestUrlParts result;
    result.server.assign(parts.lpszHostName, parts.dwHostNameLength);
    if (parts.lpszUrlPath != nullptr) result.object.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo != nullptr) result.object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (result.object.empty() || result.object[0] != L'/') result.object.insert(0, L"/");
    result.port = parts.nPort;
    result.secureScheme = parts.nScheme == INTERNET_SCHEME_HTTPS;
    *out = result;
    return true;
}

DWORD RequestFlagsFor(const RequestUrlParts& parts) {
    const DWORD connection = (parts.secureScheme || parts.port == INTERNET_DEFAULT_HTTPS_PORT)
                                 ? INTERNET_FLAG_SECURE
                                 : INTERNET_FLAG_EXISTING_CONNECT;
    return connection | INTERNET_FLAG_NO_CACHE_WRITE;
}
