#include "app/process_start.h"

#include <windows.h>

#include <vector>

#include "framework/scoped_handle.h"

namespace {

bool CanOpenForReading(const std::wstring& path) {
    fw::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid();
}

}  // namespace

bool StartProcess(const std::wstring& executable, const std::wstring& directory, const std::wstring& arguments) {
    if (!CanOpenForReading(executable)) return false;

    // The unquoted path stays in the command line for the programs that read it, but the
    // program to run is named explicitly: otherwise a path with spaces would make the system
    // try "C:\Program.exe" and the like first, with the player's login on the command line.
    std::wstring commandLine = executable;
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(executable.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &started)) {
        return false;
    }
    fw::UniqueHandle process(started.hProcess);
    fw::UniqueHandle thread(started.hThread);
    return true;
}
