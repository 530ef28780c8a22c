#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Ids of the processes now in the system, in the order the system lists them (at most 1024);
// empty when they cannot be listed.
std::vector<DWORD> ListProcessIds();
// Full image path of the process's main module; empty on failure. The handle needs
// PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
std::wstring GetProcessImagePath(HANDLE process);
// True when some process this user may inspect runs the executable at path (compared ignoring
// case).
bool IsProcessRunning(const std::wstring& path);
