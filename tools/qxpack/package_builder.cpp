#include "package_builder.h"

#include <windows.h>

#include <zlib.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <memory>

#include "app/md5.h"
#include "app/text_helpers.h"
#include "framework/scoped_handle.h"
#include "resources/resource_name.h"

namespace {

constexpr size_t kChunk = 1 << 20;

struct SourceFile {
    std::wstring name;
    std::wstring path;
    bool launcher = false;
};

std::wstring WithBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    return path;
}

std::wstring Lower(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 4];
    DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 4, buffer, nullptr);
    if (n == 0 || n >= MAX_PATH * 4) return path;
    return WithBackslash(buffer);
}

// Collects the files below `root` with names relative to it; `skip` holds full folder paths
// (lower case, ending with a backslash) not to enter.
void Walk(const std::wstring& root, const std::wstring& relative, const std::vector<std::wstring>& skip,
          bool launcher, std::vector<SourceFile>* out, std::vector<std::wstring>* errors) {
    WIN32_FIND_DATAW data;
    fw::ScopedHandle<fw::FindHandleTraits> find(
        FindFirstFileW((root + relative + L"*").c_str(), &data));
    if (!find) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) errors->push_back(L"cannot list " + root + relative);
        return;
    }
    do {
        std::wstring leaf = data.cFileName;
        if (leaf == L"." || leaf == L"..") continue;
        std::wstring name = relative + leaf;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (std::find(skip.begin(), skip.end(), Lower(FullPath(root + name))) != skip.end()) continue;
            Walk(root, name + L"\\", skip, launcher, out, errors);
        } else {
            out->push_back({name, root + name, launcher});
        }
    } while (FindNextFileW(find.Get(), &data));
}

// The names the launcher accepts (IsSafeResourceName), minus what the manifest syntax cannot
// carry, minus names that collide with the launcher's own download files.
std::wstring NameProblem(const std::wstring& name, bool launcher) {
    if (!IsSafeResourceName(name)) return L"the launcher refuses this name";
    for (wchar_t c : name) {
        if (c == L'=' || c == L'\r' || c == L'\n') return L"'=' and line breaks cannot stand in the configuration";
    }
    if (name.size() > 2 && name.compare(name.size() - 2, 2, L".t") == 0) {
        return L"ends in .t, the launcher's download suffix";
    }
    // launcher.tmp carries launcher names in the ANSI code page.
    if (launcher && AnsiToWide(WideToAnsi(name)) != name) return L"not representable in the ANSI code page";
    return L"";
}

class OutputFile {
public:
    bool Open(const std::wstring& path) {
        file_.Reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(file_);
    }
    bool Write(const void* data, size_t length) {
        const char* bytes = static_cast<const char*>(data);
        while (length > 0) {
            DWORD part = static_cast<DWORD>(std::min<size_t>(length, kChunk));
            DWORD written = 0;
            if (!WriteFile(file_.Get(), bytes, part, &written, nullptr) || written != part) return false;
            bytes += part;
            length -= part;
        }
        return true;
    }
    bool Close() { return CloseHandle(file_.Release()) != FALSE; }
    explicit operator bool() const { return static_cast<bool>(file_); }

private:
    fw::ScopedHandle<fw::KernelHandleTraits> file_;
};

// Appends one gzip member holding the file's content; gives the member's length and the
// content's digest and size.
bool PackOne(const std::wstring& path, int level, OutputFile* out, int64_t* memberBytes,
             std::wstring* md5, int64_t* size, std::wstring* error) {
    fw::ScopedHandle<fw::KernelHandleTraits> in(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                            nullptr, OPEN_EXISTING, 0, nullptr));
    if (!in) {
        *error = L"cannot open " + path;
        return false;
    }
    z_stream stream{};
    // Window bits 15 + 16: a gzip wrapper; zlib writes a fixed header (no name, time 0).
    if (deflateInit2(&stream, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        *error = L"deflateInit2 failed";
        return false;
    }
    std::unique_ptr<unsigned char[]> input(new unsigned char[kChunk]);
    std::unique_ptr<unsigned char[]> output(new unsigned char[kChunk]);
    Md5Context context;
    Md5Init(&context);
    *memberBytes = 0;
    *size = 0;
    bool ok = true;
    for (bool end = false; ok && !end;) {
        DWORD read = 0;
        if (!ReadFile(in.Get(), input.get(), static_cast<DWORD>(kChunk), &read, nullptr)) {
            *error = L"cannot read " + path;
            ok = false;
            break;
        }
        end = read == 0;
        Md5Update(&context, input.get(), read);
        *size += read;
        stream.next_in = input.get();
        stream.avail_in = read;
        do {
            stream.next_out = output.get();
            stream.avail_out = static_cast<uInt>(kChunk);
            int rc = deflate(&stream, end ? Z_FINISH : Z_NO_FLUSH);
            if (rc == Z_STREAM_ERROR) {
                *error = L"deflate failed";
                ok = false;
                break;
            }
            size_t produced = kChunk - stream.avail_out;
            if (!out->Write(output.get(), produced)) {
                *error = L"cannot write the package data";
                ok = false;
                break;
            }
            *memberBytes += static_cast<int64_t>(produced);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    unsigned char digest[16];
    Md5Final(digest, &context);
    *md5 = BytesToHex(std::string(reinterpret_cast<char*>(digest), 16));
    return ok;
}

bool CreateFolderChain(const std::wstring& folder) {
    std::wstring prefix;
    for (size_t i = 0; i < folder.size(); ++i) {
        prefix += folder[i];
        if ((folder[i] == L'\\' || i + 1 == folder.size()) && prefix.size() > 3) {
            if (!CreateDirectoryW(prefix.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

std::wstring PackageAddress(const std::wstring& servedBase, const PackOptions& options) {
    std::wstring base = servedBase;
    if (base.empty() || base.back() != L'/') base += L'/';
    return base + options.configFolder + L"/" + options.configFile;
}

PackResult BuildPackage(const PackOptions& options) {
    PackResult result;
    const std::wstring gameRoot = FullPath(options.gameDirectory);
    const std::wstring launcherRoot = options.launcherDirectory.empty() ? L"" : FullPath(options.launcherDirectory);
    const std::wstring outRoot = FullPath(options.outputDirectory);

    std::vector<SourceFile> sources;
    // The output never packs itself.
    const std::vector<std::wstring> skipOutput = {Lower(outRoot)};
    if (!launcherRoot.empty()) {
        // In the shipped layout the game folder lies inside the launcher folder; its files
        // belong to the game only.
        Walk(launcherRoot, L"", {Lower(gameRoot), Lower(outRoot)}, true, &sources, &result.errors);
    }
    Walk(gameRoot, L"", skipOutput, false, &sources, &result.errors);

    // Code-unit order of names: the same order whatever the file system lists first.
    std::stable_sort(sources.begin(), sources.end(), [](const SourceFile& a, const SourceFile& b) {
        if (a.launcher != b.launcher) return a.launcher;
        return a.name < b.name;
    });
    std::map<std::wstring, bool> seen;
    for (const SourceFile& file : sources) {
        std::wstring problem = NameProblem(file.name, file.launcher);
        std::wstring lower = Lower(file.name);
        if (problem.empty() && file.launcher &&
            (lower == L"launcher_manifest.txt" || lower == L"launcher.tmp" || lower == L"version.txt")) {
            problem = L"reserved for the launcher's own records";
        }
        if (problem.empty() && !seen.emplace(file.name, true).second) {
            problem = L"listed both as a launcher file and as a game file";
        }
        if (!problem.empty()) result.errors.push_back(L"refused name \"" + file.name + L"\": " + problem);
    }
    if (std::wstring problem = NameProblem(options.configFolder, false); !problem.empty()) {
        result.errors.push_back(L"refused configuration folder: " + problem);
    }
    if (!result.errors.empty()) return result;

    OutputFile data;
    std::wstring folder;
    int folderNumber[2] = {0, 0};
    int64_t folderBytes = 0;
    bool folderLauncher = false;
    auto openFolder = [&](bool launcher) -> bool {
        if (data && !data.Close()) {
            result.errors.push_back(L"cannot finish " + outRoot + folder + L"\\qx_game.qxpkg");
            return false;
        }
        int number = ++folderNumber[launcher ? 1 : 0];
        folder = launcher ? (number == 1 ? L"launcher" : L"launcher" + std::to_wstring(number))
                          : std::to_wstring(number);
        folderLauncher = launcher;
        folderBytes = 0;
        std::wstring dir = outRoot + folder + L"\\";
        if (!CreateFolderChain(dir) || !data.Open(dir + L"qx_game.qxpkg")) {
            result.errors.push_back(L"cannot create " + dir + L"qx_game.qxpkg");
            return false;
        }
        return true;
    };

    for (const SourceFile& file : sources) {
        bool full = folderBytes > 0 && folderBytes >= options.maxFolderBytes;
        if (!data || folderLauncher != file.launcher || full) {
            if (!openFolder(file.launcher)) return result;
        }
        PackedFile packed;
        packed.name = file.name;
        packed.folder = folder;
        packed.rangeStart = folderBytes;
        packed.category = file.launcher ? L"launcher" : L"game";
        std::wstring error;
        if (!PackOne(file.path, options.compressionLevel, &data, &packed.rangeLength, &packed.md5,
                     &packed.size, &error)) {
            result.errors.push_back(error);
            return result;
        }
        if (packed.rangeLength > INT32_MAX) {
            result.errors.push_back(L"file too large for one range: " + file.name);
            return result;
        }
        folderBytes += packed.rangeLength;
        result.packageBytes += packed.rangeLength;
        result.files.push_back(packed);
    }
    if (data && !data.Close()) {
        result.errors.push_back(L"cannot finish " + outRoot + folder + L"\\qx_game.qxpkg");
        return result;
    }

    std::wstring text;
    for (const PackedFile& file : result.files) {
        text += file.name + L"=" + file.md5 + L"=" + file.folder + L"=" + std::to_wstring(file.rangeStart) +
                L"=" + std::to_wstring(file.rangeLength) + L"=" + file.category + L"\r\n";
    }
    std::wstring configDir = outRoot + options.configFolder + L"\\";
    OutputFile config;
    std::string bytes = ToUtf8(text);
    if (!CreateFolderChain(configDir) || !config.Open(configDir + options.configFile) ||
        !config.Write(bytes.data(), bytes.size()) || !config.Close()) {
        result.errors.push_back(L"cannot write " + configDir + options.configFile);
    }
    return result;
}
