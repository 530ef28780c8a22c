#include "resources/cdn_data_processors.h"

#include "app/text_helpers.h"
#include "resources/file_store.h"

int CDNResourceDataProcessor::BeginData(uint32_t /*contentLength*/) {
    m_written = 0;
    m_buffer.clear();
    if (m_pFile) return 0;
    std::wstring parent;
    if (GetParentDirectory(TemporaryPath(), &parent) && GetFileAttributesW(parent.c_str()) == INVALID_FILE_ATTRIBUTES) {
        CreateDirectories(parent);
    }
    DeleteFileIfExists(TemporaryPath());
    DeleteFileIfExists(TargetPath());
    m_pFile.Reset(CreateFileW(TemporaryPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_pFile ? 1 : 0;
}

namespace {

bool WriteAll(HANDLE file, const char* data, size_t length) {
    while (length > 0) {
        DWORD part = static_cast<DWORD>(std::min<size_t>(length, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file, data, part, &written, nullptr) || written == 0) return false;
        data += written;
        length -= written;
    }
    return true;
}

}  // namespace

bool CDNResourceDataProcessor::Flush() {
    const bool ok = WriteAll(m_pFile.Get(), m_buffer.data(), m_buffer.size());
    m_buffer.clear();
    return ok;
}

int CDNResourceDataProcessor::WriteData(const char* data, uint32_t length) {
    if (!m_pFile) return 0;
    // Chunks arrive a kilobyte at a time; gathering them saves a system call per chunk.
    m_buffer.append(data, length);
    m_written += static_cast<int32_t>(length);
    // A segment ends all its files' transfers together; a file whose range is complete gives
    // its buffer back at once instead of holding it until then.
    const bool complete = m_info.rangeStart >= 0 && static_cast<uint32_t>(m_written) >= m_info.rangeLength;
    if (m_buffer.size() >= kBufferBytes || complete) {
        if (!Flush()) return 0;
        if (complete) std::string().swap(m_buffer);
    }
    if (m_written > m_maxWritten) {
        if (m_onProgress) m_onProgress(m_written - m_maxWritten);
        m_maxWritten = m_written;
    }
    return 1;
}

int CDNResourceDataProcessor::EndData() {
    if (!m_pFile) return 0;
    const bool flushed = Flush();
    LARGE_INTEGER size{};
    const bool sized = flushed && GetFileSizeEx(m_pFile.Get(), &size) != FALSE;
    m_pFile.Close();
    if (!sized || size.QuadPart == 0) return 0;
    if (!GunzipFile(TargetPath(), TemporaryPath())) return 0;
    DeleteFileIfExists(TemporaryPath());
    return 1;
}

int CDNResourceDataProcessor::GetData(std::string* out) {
    out->clear();
    if (m_pFile || !FileExists(TargetPath())) return 1;
    fw::ScopedHandle<fw::KernelHandleTraits> file(CreateFileW(TargetPath().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                              nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return 0;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) return 0;
    out->resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < out->size()) {
        DWORD read = 0;
        DWORD part = static_cast<DWORD>(std::min<size_t>(out->size() - done, 1 << 20));
        if (!ReadFile(file.Get(), &(*out)[done], part, &read, nullptr) || read == 0) {
            out->clear();
            return 0;
        }
        done += read;
    }
    return 1;
}
