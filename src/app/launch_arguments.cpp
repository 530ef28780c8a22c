#include "app/launch_arguments.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <vector>

#include "app/text_helpers.h"

namespace {

// The platform's wide-character space class trimmed from the end, then from the start.
std::wstring Trimmed(const std::wstring& text) {
    size_t last = text.size();
    while (last > 0 && std::iswspace(text[last - 1])) --last;
    size_t first = 0;
    while (first < last && std::iswspace(text[first])) ++first;
    return text.substr(first, last - first);
}

}  // namespace

std::wstring GetModulePath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length < MAX_PATH ? length : MAX_PATH - 1);
}

std::wstring GetModuleDirectory() { return DirectoryOfPath(GetModulePath()); }

std::wstring GetArgumentText() { return ArgumentTextOf(::GetCommandLineW(), GetModulePath()); }

bool FindLaunchArgument(const std::wstring& name, std::wstring* value) {
    return FindLaunchArgumentIn(GetArgumentText(), name, value);
}

bool FindLaunchArgumentBase64(const std::wstring& name, std::wstring* value) {
    return FindLaunchArgumentBase64In(GetArgumentText(), name, value);
}

bool IsLauncherReboot() { return IsLauncherRebootIn(GetArgumentText()); }

void ParseLaunchArguments(LaunchArgumentMap* map) { ParseLaunchArgumentsIn(GetArgumentText(), map); }

std::wstring DirectoryOfPath(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring ArgumentTextOf(const std::wstring& commandLine, const std::wstring& modulePath) {
    std::wstring text;
    if (modulePath.empty()) {
        text = commandLine;
    } else {
        // Every exact occurrence of the quoted path goes, scanning the original text once.
        const std::wstring quoted = L"\"" + modulePath + L"\"";
        size_t pos = 0;
        while (true) {
            const size_t found = commandLine.find(quoted, pos);
            if (found == std::wstring::npos) break;
            text.append(commandLine, pos, found - pos);
            pos = found + quoted.size();
        }
        text.append(commandLine, pos, std::wstring::npos);
    }
    return Trimmed(text);
}

bool FindLaunchArgumentIn(const std::wstring& argumentText, const std::wstring& name, std::wstring* value) {
    std::vector<std::wstring> pieces;
    SplitText(argumentText, L" ", &pieces);
    for (const std::wstring& piece : pieces) {
        const size_t equals = piece.find(L'=');
        if (equals == std::wstring::npos) continue;
        if (_wcsicmp(piece.substr(0, equals).c_str(), name.c_str()) != 0) continue;
        if (value != nullptr) *value = AnsiToWide(UrlDecode(WideToAnsi(piece.substr(equals + 1))));
        return true;
    }
    return false;
}

bool FindLaunchArgumentBase64In(const std::wstring& argumentText, const std::wstring& name, std::wstring* value) {
    std::wstring found;
    if (!FindLaunchArgumentIn(argumentText, name, &found)) return false;
    if (value != nullptr) *value = Base64DecodeToText(WideToAnsi(found));
    return true;
}

bool IsLauncherRebootIn(const std::wstring& argumentText) {
    std::wstring value;
    return FindLaunchArgumentIn(argumentText, L"LAUNCHER_REBOOT", &value) && _wcsicmp(value.c_str(), L"TRUE") == 0;
}

void ParseLaunchArgumentsIn(const std::wstring& argumentText, LaunchArgumentMap* map) {
    std::wstring loginData;
    if (IsLauncherRebootIn(argumentText) && FindLaunchArgumentBase64In(argumentText, L"LOGIN_DATA", &loginData)) {
        ParseArgumentPairs(loginData, map);
    } else {
        ParseArgumentPairs(argumentText, map);
    }
}

void ParseArgumentPairs(const std::wstring& text, LaunchArgumentMap* map) {
    if (map == nullptr) return;
    map->Clear();
    std::vector<std::wstring> pieces;
    SplitText(text, L" -", &pieces);
    for (const std::wstring& piece : pieces) {
        const size_t equals = piece.find(L'=');
        if (equals == std::wstring::npos) continue;
        map->Insert(WideToAnsi(piece.substr(0, equals)), WideToAnsi(piece.substr(equals + 1)));
    }
}
