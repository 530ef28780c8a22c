#pragma once

// Where things lie relative to the launcher's folder D (with its trailing backslash):
// D\game\ is the game's working directory and D\game\zorn_game.exe the game.

#include <string>

std::wstring GameDirectoryIn(const std::wstring& launcherDirectory);
std::wstring GameExecutableIn(const std::wstring& launcherDirectory);

// The same for the running launcher (GetModuleDirectory()).
std::wstring GetGameDirectory();
std::wstring GetGameExecutablePath();
