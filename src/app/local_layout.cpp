#include "app/local_layout.h"

#include "app/launch_arguments.h"

std::wstring GameDirectoryIn(const std::wstring& launcherDirectory) { return launcherDirectory + L"game\\"; }

std::wstring GameExecutableIn(const std::wstring& launcherDirectory) {
    return GameDirectoryIn(launcherDirectory) + L"zorn_game.exe";
}

std::wstring GetGameDirectory() { return GameDirectoryIn(GetModuleDirectory()); }

std::wstring GetGameExecutablePath() { return GameExecutableIn(GetModuleDirectory()); }
