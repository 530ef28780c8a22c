#include "app/process_fixture.h"

#include <psapi.h>

#include <cwchar>
#include <filesystem>
#include <vector>

namespace testing_support {

namespace {

std::wstring DirectoryOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring FromUtf8(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &out[0], n);
    return out;
}

// The image path the system recorded when it created the process. Unlike the module list read
// from inside the process, it is there from the moment CreateProcess returns.
bool ImagePathIs(HANDLE process, const std::wstring& path) {
    wchar_t image[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    return ::QueryFullProcessImageNameW(process, 0, image, &size) && _wcsicmp(image, path.c_str()) == 0;
}

// Processes whose image is at this path (compared ignoring case), opened for ending them.
std::vector<HANDLE> OpenProcessesAt(const std::wstring& path) {
    std::vector<HANDLE> found;
    DWORD ids[1024] = {};
    DWORD bytes = 0;
    if (!::K32EnumProcesses(ids, sizeof(ids), &bytes)) return found;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        HANDLE process =
            ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ids[i]);
        if (process == nullptr) continue;
        if (ImagePathIs(process, path)) {
            found.push_back(process);
        } else {
            ::CloseHandle(process);
        }
    }
    return found;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (true) {
        if (condition()) return true;
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(50);
    }
}

std::wstring BinDirectory() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return DirectoryOf(path);
}

TempFolder::TempFolder(const std::wstring& label) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        path_ = std::wstring(temp) + L"trovan_" + label + L"_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                std::to_wstring(++counter) + L"\\";
        if (::CreateDirectoryW(path_.c_str(), nullptr)) break;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
}

TempFolder::~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(path_), error);
}

bool CopyFileTo(const std::wstring& source, const std::wstring& target) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(DirectoryOf(target)), error);
    return ::CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    ::CloseHandle(file);
    return bytes;
}

ChildProcess::~ChildProcess() {
    Terminate();
    if (process_ != nullptr) ::CloseHandle(process_);
}

bool ChildProcess::Start(const std::wstring& executable, const std::wstring& commandLine, const std::wstring& directory) {
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(executable.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        startError_ = ::GetLastError();
        return false;
    }
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    return true;
}

bool ChildProcess::IsRunning() const {
    return process_ != nullptr && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (process_ == nullptr || ::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode != nullptr) ::GetExitCodeProcess(process_, exitCode);
    return true;
}

void ChildProcess::Terminate() {
    if (!IsRunning()) return;
    ::TerminateProcess(process_, 1);
    ::WaitForSingleObject(process_, kGenerousTimeoutMs);
}

bool WaitForStubRecord(const std::wstring& stubPath, StubRecord* record, DWORD timeoutMs) {
    const std::wstring recordPath = DirectoryOf(stubPath) + L"stub_record.txt";
    if (!WaitUntil([&] { return FileExists(recordPath); }, timeoutMs)) return false;
    if (record == nullptr) return true;
    const std::string bytes = ReadFileBytes(recordPath);
    const size_t first = bytes.find('\n');
    if (first == std::string::npos) return false;
    const size_t second = bytes.find('\n', first + 1);
    record->commandLine = FromUtf8(bytes.substr(0, first));
    record->directory = FromUtf8(bytes.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1));
    return true;
}

void StopStubsAt(const std::wstring& stubPath) {
    std::vector<HANDLE> running = OpenProcessesAt(stubPath);
    if (running.empty()) return;
    const std::wstring stopPath = DirectoryOf(stubPath) + L"stub_stop.txt";
    HANDLE stop = ::CreateFileW(stopPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (stop != INVALID_HANDLE_VALUE) ::CloseHandle(stop);
    for (HANDLE process : running) {
        if (::WaitForSingleObject(process, kGenerousTimeoutMs) != WAIT_OBJECT_0) {
            ::TerminateProcess(process, 1);
            ::WaitForSingleObject(process, kGenerousTimeoutMs);
        }
        ::CloseHandle(process);
    }
    ::DeleteFileW(stopPath.c_str());
}

bool IsImageRunningNow(const std::wstring& path) {
    bool running = false;
    for (HANDLE process : OpenProcessesAt(path)) {
        if (::WaitForSingleObject(process, 0) == WAIT_TIMEOUT) running = true;
        ::CloseHandle(process);
    }
    return running;
}

HWND FindWindowOfProcess(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search = {processId, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            Search* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == s->processId && ::IsWindowVisible(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace testing_support
