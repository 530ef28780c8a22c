#pragma once

#include <string>

// Starts the executable with the working directory and the argument text and does not wait for
// it. The new process's command line is the path as given (unquoted), then a space and the
// arguments when there are any. False when the file cannot be opened for reading or the process
// cannot be made; the thread's last error then tells why.
bool StartProcess(const std::wstring& executable, const std::wstring& directory, const std::wstring& arguments);

// Starts the client registered for this user under App Paths "Tessara.exe", if there is one
// and its file exists. Silent in every case.
void StartSiblingClient();
