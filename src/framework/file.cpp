#include "framework/file.h"

#include <algorithm>

namespace fw {

namespace {

// ReadFile and WriteFile take 32-bit counts; larger transfers go in pieces.
constexpr size_t kMaxTransfer = 1u << 30;

}  // namespace

bool File::Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    handle_.Reset(::CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr));
    return handle_.IsValid();
}

bool File::GetLength(int64_t* length) const {
    LARGE_INTEGER size = {};
    if (length == nullptr || !::GetFileSizeEx(handle_.Get(), &size)) return false;
    *length = size.QuadPart;
    return true;
}

bool File::Seek(int64_t offset, DWORD origin) {
    LARGE_INTEGER distance = {};
    distance.QuadPart = offset;
    return ::SetFilePointerEx(handle_.Get(), distance, nullptr, origin) != FALSE;
}

bool File::Read(void* buffer, size_t count, size_t* done) {
    size_t total = 0;
    char* out = static_cast<char*>(buffer);
    while (total < count) {
        const DWORD piece = static_cast<DWORD>(std::min(count - total, kMaxTransfer));
        DWORD got = 0;
        if (!::ReadFile(handle_.Get(), out + total, piece, &got, nullptr)) {
            if (done != nullptr) *done = total;
            return false;
        }
        if (got == 0) break;  // end of file
        total += got;
    }
    if (done != nullptr) *done = total;
    return true;
}

bool File::Write(const void* data, size_t count) {
    size_t total = 0;
    const char* in = static_cast<const char*>(data);
    while (total < count) {
        const DWORD piece = static_cast<DWORD>(std::min(count - total, kMaxTransfer));
        DWORD put = 0;
        if (!::WriteFile(handle_.Get(), in + total, piece, &put, nullptr) || put == 0) return false;
        total += put;
    }
    return true;
}

bool File::Flush() { return ::FlushFileBuffers(handle_.Get()) != FALSE; }

}  // namespace fw
