#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/scoped_handle.h"

namespace fw {

// One open Win32 file, closed when the object goes away. Every operation reports failure as false
// and leaves the reason in GetLastError; nothing throws.
class File {
public:
    File() = default;
    File(File&&) noexcept = default;
    File& operator=(File&&) noexcept = default;

    // CreateFileW with the given access, sharing and disposition; an open file is closed first.
    bool Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
              DWORD flags = FILE_ATTRIBUTE_NORMAL);
    void Close() { handle_.Close(); }
    bool IsOpen() const { return handle_.IsValid(); }
    HANDLE Get() const { return handle_.Get(); }

    bool GetLength(int64_t* length) const;
    // Moves to an offset from FILE_BEGIN, FILE_CURRENT or FILE_END.
    bool Seek(int64_t offset, DWORD origin);
    // Reads until count bytes arrived or the file ended; *done tells how many arrived.
    bool Read(void* buffer, size_t count, size_t* done);
    // Writes every byte or gives false.
    bool Write(const void* data, size_t count);
    // Pushes the written bytes to the disk, not only to the system's cache.
    bool Flush();

private:
    UniqueHandle handle_;
};

}  // namespace fw
