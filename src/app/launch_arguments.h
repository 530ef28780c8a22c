#pragma once

// The launcher's command line: pairs of key "=" value after the launcher's own quoted path.
// Two readers see it differently, and the programs that start the launcher rely on both:
// - the lookup (FindLaunchArgument) splits at spaces only, matches the key ignoring case and
//   resolves "+" and "%XX" escapes in the value; it reads LAUNCHER_REBOOT, LOGIN_DATA, ENTRANCE;
// - the map (ParseArgumentPairs) splits at every space and every "-", keeps keys and values as
//   given (ANSI bytes, case-sensitive keys, first one wins); it reads token, source, sid, fcext.
// The public readers take the process command line afresh on every call.

#include <string>

#include "app/launch_argument_map.h"

// Full path of the launcher's executable (at most 259 characters).
std::wstring GetModulePath();
// GetModulePath() up to and including its last backslash; empty when it has none.
std::wstring GetModuleDirectory();
// The command line without the quoted executable path, trimmed at both ends.
std::wstring GetArgumentText();
// True and the unescaped value of the first pair whose key equals name ignoring case; false and
// value untouched otherwise.
bool FindLaunchArgument(const std::wstring& name, std::wstring* value);
// As FindLaunchArgument, the found value further decoded from base64 (ANSI text).
bool FindLaunchArgumentBase64(const std::wstring& name, std::wstring* value);
// LAUNCHER_REBOOT is "TRUE" in any letter case: the start that follows a self-update.
bool IsLauncherReboot();
// Clears the map and fills it from LOGIN_DATA after a self-update, otherwise from the argument
// text.
void ParseLaunchArguments(LaunchArgumentMap* map);
// Clears the map and fills it from the text.
void ParseArgumentPairs(const std::wstring& text, LaunchArgumentMap* map);

// The same readers over a given text instead of the process's own command line.
std::wstring DirectoryOfPath(const std::wstring& path);
std::wstring ArgumentTextOf(const std::wstring& commandLine, const std::wstring& modulePath);
bool FindLaunchArgumentIn(const std::wstring& argumentText, const std::wstring& name, std::wstring* value);
bool FindLaunchArgumentBase64In(const std::wstring& argumentText, const std::wstring& name, std::wstring* value);
bool IsLauncherRebootIn(const std::wstring& argumentText);
void ParseLaunchArgumentsIn(const std::wstring& argumentText, LaunchArgumentMap* map);
