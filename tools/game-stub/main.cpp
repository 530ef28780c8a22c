// Records its command line and working directory, then waits until told to stop.
// Usage of the record: the file named by the environment variable ZORN_STUB_RECORD, or
// "stub_record.txt" beside the executable. It holds two UTF-8 lines: the command line exactly as
// the process received it, and the current directory. The stub exits when the file named by
// ZORN_STUB_STOP (default: "stub_stop.txt" beside the executable) appears, or after 10 minutes.
#include <windows.h>

#include <string>

namespace {

std::wstring BesideExecutable(const wchar_t* fileName) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    const size_t slash = dir.find_last_of(L'\\');
    dir = (slash == std::wstring::npos) ? std::wstring() : dir.substr(0, slash + 1);
    return dir + fileName;
}

std::wstring FromEnvironment(const wchar_t* name, const wchar_t* fallbackFile) {
    wchar_t value[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableW(name, value, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return value;
    return BesideExecutable(fallbackFile);
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

}  // namespace

int wmain() {
    wchar_t directory[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, directory);
    const std::string record = Utf8(::GetCommandLineW()) + "\n" + Utf8(directory) + "\n";

    const std::wstring recordPath = FromEnvironment(L"ZORN_STUB_RECORD", L"stub_record.txt");
    const std::wstring partial = recordPath + L".partial";
    HANDLE file = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
        ::CloseHandle(file);
        // Readers see either no record or a whole one.
        ::MoveFileExW(partial.c_str(), recordPath.c_str(), MOVEFILE_REPLACE_EXISTING);
    }

    const std::wstring stopPath = FromEnvironment(L"ZORN_STUB_STOP", L"stub_stop.txt");
    for (int i = 0; i < 10 * 60 * 20; ++i) {
        if (::GetFileAttributesW(stopPath.c_str()) != INVALID_FILE_ATTRIBUTES) break;
        ::Sleep(50);
    }
    return 0;
}
