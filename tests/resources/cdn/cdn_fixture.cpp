#include "resources/cdn/cdn_fixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/md5.h"
#include "app/text_helpers.h"

namespace cdntest {

std::wstring Env(const wchar_t* name) {
    wchar_t buffer[4096];
    DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
    return n == 0 || n >= 4096 ? L"" : std::wstring(buffer, n);
}

std::string PseudoRandomBytes(uint32_t seed, size_t size, uint32_t salt) {
    std::string bytes(size, '\0');
    uint32_t x = seed * 2654435761u + salt;
    for (auto& b : bytes) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<char>(x >> 24);
    }
    return bytes;
}

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    ReadBytes(path, &bytes);
    return bytes;
}

namespace {

std::wstring WithBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

void CreateChain(const std::wstring& folder) {
    for (size_t i = 3; i < folder.size(); ++i) {
        if (folder[i] == L'\\') CreateDirectoryW(folder.substr(0, i).c_str(), nullptr);
    }
    CreateDirectoryW(folder.c_str(), nullptr);
}

}  // namespace

std::wstring CdnUrl() { return Env(L"TROVAN_CDN_URL"); }
std::wstring CdnRoot() { return WithBackslash(Env(L"TROVAN_CDN_ROOT")); }
std::wstring CdnAccessLog() { return Env(L"TROVAN_CDN_ACCESS_LOG"); }

std::wstring ProgramFolder() {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path(buffer, n);
    return path.substr(0, path.rfind(L'\\') + 1);
}

std::wstring MakeTempFolder(const std::wstring& tag) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static LONG counter = 0;
    std::wstring folder = WithBackslash(base) + L"trovan_" + tag + L"_" + std::to_wstring(GetCurrentProcessId()) +
                          L"_" + std::to_wstring(InterlockedIncrement(&counter)) + L"\\";
    RemoveTree(folder);
    CreateChain(folder);
    return folder;
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((WithBackslash(folder) + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring leaf = data.cFileName;
            if (leaf == L"." || leaf == L"..") continue;
            std::wstring path = WithBackslash(folder) + leaf;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    std::wstring self = folder;
    if (!self.empty() && self.back() == L'\\') self.pop_back();
    RemoveDirectoryW(self.c_str());
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    CreateChain(path.substr(0, path.rfind(L'\\')));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        DWORD written = 0;
        DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        ok = WriteFile(file, bytes.data() + done, part, &written, nullptr) && written > 0;
        done += written;
    }
    CloseHandle(file);
    return ok;
}

bool ReadBytes(const std::wstring& path, std::string* bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes->size()) {
        DWORD read = 0;
        DWORD part = static_cast<DWORD>(std::min<size_t>(bytes->size() - done, 1 << 20));
        ok = ReadFile(file, &(*bytes)[done], part, &read, nullptr) && read > 0;
        done += read;
    }
    CloseHandle(file);
    if (ok) bytes->resize(done);
    return ok;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Md5OfBytes(const std::string& bytes) { return WideToAnsi(Md5Hex(bytes)); }

std::wstring Quote(const std::wstring& text) {
    // A backslash before the closing quotation mark would escape it.
    std::wstring inner = text;
    while (!inner.empty() && inner.back() == L'\\') inner.pop_back();
    return L"\"" + inner + L"\"";
}

ChildProcess::~ChildProcess() {
    if (m_info.hProcess) {
        if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_info.hProcess, 99);
            WaitForSingleObject(m_info.hProcess, 10000);
        }
        CloseHandle(m_info.hProcess);
        CloseHandle(m_info.hThread);
    }
    if (!m_outputPath.empty()) DeleteFileW(m_outputPath.c_str());
}

bool ChildProcess::Start(const std::wstring& commandLine, bool newConsole) {
    static LONG counter = 0;
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    m_outputPath = WithBackslash(base) + L"trovan_child_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                   std::to_wstring(InterlockedIncrement(&counter)) + L".txt";
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE output = CreateFileW(m_outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::wstring line = commandLine;
    BOOL ok = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, newConsole ? CREATE_NEW_CONSOLE : 0,
                             nullptr, nullptr, &startup, &m_info);
    CloseHandle(output);
    if (!ok) m_info = PROCESS_INFORMATION{};
    return ok != FALSE;
}

std::string ChildProcess::Output() const {
    std::string bytes;
    ReadBytes(m_outputPath, &bytes);
    return bytes;
}

int ChildProcess::Wait(DWORD timeoutMs) {
    if (!m_info.hProcess || WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(m_info.hProcess, &code);
    return static_cast<int>(code);
}

int RunProcess(const std::wstring& commandLine, std::string* output, DWORD timeoutMs) {
    ChildProcess child;
    if (!child.Start(commandLine, false)) return -1;
    int code = child.Wait(timeoutMs);
    if (output) *output = child.Output();
    return code;
}

std::wstring PackTree(const std::wstring& gameFolder, const std::wstring& launcherFolder, const std::wstring& tree,
                      std::string* log, const std::wstring& extraArguments) {
    std::wstring out = CdnRoot() + tree;
    RemoveTree(out);
    std::wstring command = Quote(ProgramFolder() + L"qxpack.exe") + L" " + Quote(gameFolder) + L" " +
                           Quote(launcherFolder) + L" " + Quote(out) + L" " + CdnUrl() + tree + L" " + extraArguments;
    std::string output;
    int code = RunProcess(command, &output);
    if (log) *log = output;
    if (code != 0) return L"";
    const std::string marker = "package address: ";
    size_t at = output.find(marker);
    if (at == std::string::npos) return L"";
    size_t end = output.find_first_of("\r\n", at);
    return AnsiToWide(output.substr(at + marker.size(), end - at - marker.size()));
}

std::map<std::wstring, std::vector<std::wstring>> ReadConfiguration(const std::wstring& tree) {
    std::map<std::wstring, std::vector<std::wstring>> lines;
    std::string bytes;
    ReadBytes(CdnRoot() + tree + L"\\config\\qx_config.txt", &bytes);
    std::wstring text;
    Utf8ToWide(bytes.c_str(), &text);
    std::vector<std::wstring> rows;
    SplitText(text, L"\r\n", &rows);
    for (const std::wstring& row : rows) {
        std::vector<std::wstring> fields;
        SplitText(row, L"=", &fields);
        if (fields.empty()) continue;
        std::wstring name = fields[0];
        fields.erase(fields.begin());
        lines[name] = fields;
    }
    return lines;
}

std::vector<std::string> AccessLogLines(size_t from) {
    std::string bytes;
    ReadBytes(CdnAccessLog(), &bytes);
    std::vector<std::string> lines;
    std::istringstream stream(bytes);
    std::string line;
    size_t index = 0;
    while (std::getline(stream, line)) {
        if (index++ >= from) lines.push_back(line);
    }
    return lines;
}

}  // namespace cdntest
