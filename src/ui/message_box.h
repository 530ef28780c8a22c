#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CSkinDialog;

// Shows one skinned box modally over the anchor rectangle (or the owner, or the desktop's
// centre) and returns 1 for the first button, 7 for the second, 2 when the box was closed
// otherwise, and -1 when it could not be created. Boxes already open are hidden meanwhile.
// Timers and posted messages of the thread keep being handled while the box is open.
int RunMessageBox(const std::wstring& text, std::unique_ptr<RECT> anchor,
                  const std::wstring& firstButton, const std::wstring& secondButton, int option,
                  HWND owner, int style);

// The frames of the boxes running now, oldest first (user-interface thread only).
const std::vector<CSkinDialog*>& OpenMessageBoxes();
