#include "app/process_start.h"

#include <windows.h>

#include "framework/scoped_handle.h"

namespace {

const wchar_t kSiblingAppPathsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tessara.exe";

// The key's default value as a path: at most 259 characters, environment references expanded
// for REG_EXPAND_SZ, one pair of enclosing quotes removed. Empty when there is none.
std::wstring ReadRegisteredPath() {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSiblingAppPathsKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return {};
    fw::UniqueRegKey key(opened);

    wchar_t value[MAX_PATH + 1] = {};  // one more than given, so the text always ends in a zero
    DWORD type = 0;
    DWORD bytes = MAX_PATH * sizeof(wchar_t);
    if (::RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) != ERROR_SUCCESS)
        return {};
    std::wstring path;
    if (type == REG_SZ) {
        path = value;
    } else if (type == REG_EXPAND_SZ) {
        wchar_t expanded[MAX_PATH] = {};
        const DWORD length = ::ExpandEnvironmentStringsW(value, expanded, MAX_PATH);
        if (length == 0 || length > MAX_PATH) return {};
        path = expanded;
    } else {
        return {};
    }
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
    return path;
}

}  // namespace

void StartSiblingClient() {
    const std::wstring path = ReadRegisteredPath();
    if (path.empty()) return;
    fw::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    file.Close();
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return;
    StartProcess(path, path.substr(0, slash), std::wstring());
}
