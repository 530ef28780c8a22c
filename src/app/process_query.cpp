#include "app/process_query.h"

#include <psapi.h>

#include <cwchar>

#include "framework/scoped_handle.h"

std::vector<DWORD> ListProcessIds() {
    DWORD ids[1024] = {};
    DWORD bytes = 0;
    if (!::K32EnumProcesses(ids, sizeof(ids), &bytes)) return {};
    return std::vector<DWORD>(ids, ids + bytes / sizeof(DWORD));
}

std::wstring GetProcessImagePath(HANDLE process) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::K32GetModuleFileNameExW(process, nullptr, path, MAX_PATH);
    return std::wstring(path, length < MAX_PATH ? length : MAX_PATH - 1);
}

bool IsProcessRunning(const std::wstring& path) {
    for (DWORD id : ListProcessIds()) {
        // Processes of other users, protected ones and the idle process cannot be opened.
        fw::UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
        if (!process) continue;
        const std::wstring image = GetProcessImagePath(process.Get());
        if (!image.empty() && _wcsicmp(image.c_str(), path.c_str()) == 0) return true;
    }
    return false;
}
