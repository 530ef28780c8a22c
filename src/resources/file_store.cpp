#include "resources/file_store.h"

#include <windows.h>

#include <zlib.h>

#include <atomic>
#include <memory>
#include <cstdio>
#include <mutex>
#include <vector>

#include "app/text_helpers.h"
#include "framework/file.h"

namespace {

// The unpacking buffer; zlib has its own input buffer behind it.
constexpr unsigned kGunzipChunk = 1024;

// Manifests are small; anything this large is not one and is refused rather than allocated.
constexpr int64_t kMaxTextFileBytes = 0x7FFFFFFF;

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A name beside the target that no other writer in this or another process picks.
std::wstring TemporaryPathFor(const std::wstring& path) {
    static std::atomic<unsigned> counter{0};
    wchar_t suffix[48];
    std::swprintf(suffix, sizeof(suffix) / sizeof(suffix[0]), L".%lu-%u.partial",
                  static_cast<unsigned long>(::GetCurrentProcessId()), counter.fetch_add(1) + 1);
    return path + suffix;
}

struct GzFileCloser {
    void operator()(gzFile file) const { gzclose(file); }
};

}  // namespace

bool FileExists(const std::wstring& path) {
    fw::File file;
    return file.Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
}

bool DeleteFileIfExists(const std::wstring& path) {
    if (!FileExists(path)) return false;
    ::DeleteFileW(path.c_str());
    return true;
}

void CreateDirectories(const std::wstring& folder) {
    // Made on first use; the process ends by TerminateProcess, so it is never torn down under
    // a worker that is still inside.
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);

    std::wstring walk = folder;
    if (walk.empty() || walk.back() != L'\\') walk += L'\\';

    // Every ancestor from the shortest to the full folder: for C:\a\b that is C:, C:\a, C:\a\b.
    std::wstring prefix;
    for (const wchar_t c : walk) {
        if (c == L'\\' && !prefix.empty() && !IsFolder(prefix)) {
            ::CreateDirectoryW(prefix.c_str(), nullptr);  // a refusal shows in the next step
        }
        prefix += c;
    }
}

bool GetParentDirectory(const std::wstring& path, std::wstring* parent) {
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos || parent == nullptr) return false;
    *parent = path.substr(0, slash);
    return true;
}

bool ReadTextFile(const std::wstring& path, std::wstring* text) {
    if (text == nullptr || !FileExists(path)) return false;
    fw::File file;
    if (!file.Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                   OPEN_EXISTING)) {
        return false;
    }
    int64_t length = 0;
    if (!file.GetLength(&length) || length > kMaxTextFileBytes) return false;

    std::string bytes(static_cast<size_t>(length), '\0');
    size_t got = 0;
    if (!file.Read(&bytes[0], bytes.size(), &got)) return false;
    bytes.resize(got);  // a file that shrank meanwhile gives what was there
    file.Close();

    size_t start = 0;
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
    return Utf8ToWide(bytes.c_str() + start, text);  // stops at the first zero byte
}

bool WriteTextFile(const std::wstring& path, const std::wstring& text) {
    if (path.empty()) return false;
    std::wstring parent;
    if (GetParentDirectory(path, &parent) && !parent.empty() && !IsFolder(parent)) {
        CreateDirectories(parent);
    }
    // A read-only target stays as it is; a rename would replace it on some systems.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
    std::string bytes;
    if (!WideToUtf8(text, &bytes)) return false;

    // Truncating the target and writing it in place would leave a cut manifest after a crash,
    // and the next start would download the whole game again. The old file is replaced only
    // once the new one is complete on disk.
    const std::wstring temporary = TemporaryPathFor(path);
    fw::File file;
    if (!file.Open(temporary, GENERIC_WRITE, 0, CREATE_NEW)) return false;
    const bool written = file.Write(bytes.data(), bytes.size()) && file.Flush();
    file.Close();
    if (written &&
        ::MoveFileExW(temporary.c_str(), path.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    ::DeleteFileW(temporary.c_str());
    return false;
}

bool GetFileVersion(const std::wstring& path, int* major, int* minor, int* build, int* revision) {
    if (major == nullptr || minor == nullptr || build == nullptr || revision == nullptr) return false;
    if (!FileExists(path)) return false;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return true;  // no version resource: the caller's values stand

    std::vector<unsigned char> block(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
        fixed == nullptr || fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        return false;
    }
    *major = HIWORD(fixed->dwFileVersionMS);
    *minor = LOWORD(fixed->dwFileVersionMS);
    *build = HIWORD(fixed->dwFileVersionLS);
    *revision = LOWORD(fixed->dwFileVersionLS);
    return true;
}

bool GunzipFile(const std::wstring& destination, const std::wstring& source) {
    // Wide paths on both sides, so that folders outside the ANSI code page still work.
    gzFile rawSource = gzopen_w(source.c_str(), "rb");
    if (rawSource == nullptr) return false;
    std::unique_ptr<gzFile_s, GzFileCloser> input(rawSource);

    FILE* output = nullptr;
    if (_wfopen_s(&output, destination.c_str(), L"wb") != 0 || output == nullptr) return false;

    char buffer[kGunzipChunk];
    bool ok = true;
    while (true) {
        const int count = gzread(input.get(), buffer, kGunzipChunk);
        if (count < 0) {
            ok = false;
            break;
        }
        if (count == 0) break;
        if (std::fwrite(buffer, 1, static_cast<size_t>(count), output) != static_cast<size_t>(count)) {
            ok = false;
            break;
        }
    }
    // The end of a cut stream looks like the end of the data to gzread; zlib only tells at close
    // (Z_BUF_ERROR). A destination whose last bytes never reached the disk is a failure too.
    if (std::fclose(output) != 0) ok = false;
    if (gzclose(input.release()) != Z_OK) ok = false;
    return ok;
}

bool GunzipFile(const std::string& destinationAnsi, const std::string& sourceAnsi) {
    return GunzipFile(AnsiToWide(destinationAnsi), AnsiToWide(sourceAnsi));
}
