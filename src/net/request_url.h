#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

// The address of one request as WinINet needs it.
struct RequestUrlParts {
    std::wstring server;
    std::wstring object;  // path and query, never empty
    INTERNET_PORT port = 0;
    bool secureScheme = false;  // written as https
};

// Appends the cache-busting parameter "t" with the given stamp: "&t=" when the address has a
// query holding "=", "t=" when it has a "?" but no "=", "?t=" when it has no "?".
std::wstring AddTimeParameter(const std::wstring& url, const std::wstring& stamp);

// Canonicalises and splits an absolute http or https address; the scheme's port when none is
// written. False for anything else.
bool ParseRequestUrl(const std::wstring& url, RequestUrlParts* out);

// HttpOpenRequest flags: TLS for https addresses and for port 443, an existing connection
// otherwise; never a copy of the answer in the user's WinINet cache.
DWORD RequestFlagsFor(const RequestUrlParts& parts);
