#pragma once

#include <string>

// True when a manifest name, taken as a path relative to the game or launcher directory, stays
// inside that directory and names an ordinary file there: not empty; no drive, root, UNC or
// device prefix; folders separated by single backslashes; no "." or ".." folder; no character
// Windows forbids in file names; no reserved device name (CON, NUL, COM1, ...); no folder or
// file name ending in a dot or a space. Manifest lines are parsed whatever their names; this
// check stands before a name becomes a path.
bool IsSafeResourceName(const std::wstring& name);
