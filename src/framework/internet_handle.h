#pragma once

#include <windows.h>
#include <wininet.h>

#include "framework/scoped_handle.h"

namespace fw {

// WinINet session, connection and request handles, all closed with InternetCloseHandle.
struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::InternetCloseHandle(h); }
};
using UniqueInternetHandle = ScopedHandle<InternetHandleTraits>;

}  // namespace fw
