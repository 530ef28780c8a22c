#include "app/process_query.h"

#include <psapi.h>

#include <cwchar>

#include "framework/scoped_handle.h"

std::vector<DWORD> ListProcessIds() { return ListProcessIds(1024); }

std::vector<DWORD> ListProcessIds(size_t firstCapacity) {
    // A full buffer may mean that more ids did not fit: the call gives no count of those.
    const size_t kMostIds = 1u << 20;
    for (size_t capacity = firstCapacity > 0 ? firstCapacity : 1; capacity <= kMostIds; capacity *= 2) {
        std::vector<DWORD> ids(capacity, 0);
        DWORD bytes = 0;
        if (!::K32EnumProcesses(ids.data(), static_cast<DWORD>(capacity * sizeof(DWORD)), &bytes)) return {};
        const size_t count = bytes / sizeof(DWORD);
        if (count < capacity) {
            ids.resize(count);
            return ids;
        }
    }
    return {};
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
