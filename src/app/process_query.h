#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Ids of the processes now in the system, in the order the system lists them; empty when they
// cannot be listed. The first request has room for 1024 ids; when the answer fills it, the
// request is repeated with more room, so that no process is missed on a crowded machine.
std::vector<DWORD> ListProcessIds();
// The same, starting with room for firstCapacity ids.
std::vector<DWORD> ListProcessIds(size_t firstCapacity);
// Full image path of the process's main module; empty on failure. The handle needs
// PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
std::wstring GetProcessImagePath(HANDLE process);
// True when some process this user may inspect runs the executable at path (compared ignoring
// case).
bool IsProcessRunning(const std::wstring& path);
