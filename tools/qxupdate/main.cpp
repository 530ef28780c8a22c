// qxupdate: brings a game installation up to date from a CDN without windows, the way the
// launcher does, printing every progress state as one line.

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/text_helpers.h"
#include "net/request_timing.h"
#include "update_runner.h"

namespace {

UpdateRunner* g_runner = nullptr;

void PrintLine(const std::string& line) {
    fwrite(line.data(), 1, line.size(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

BOOL WINAPI OnConsoleControl(DWORD /*type*/) {
    // Runs on a thread of its own; the main thread saves, stops the transfers and ends the
    // process, so this thread only waits for that.
    if (g_runner) g_runner->RequestStop();
    Sleep(INFINITE);
    return TRUE;
}

std::wstring WithBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

std::wstring FullFolder(const std::wstring& path) {
    wchar_t buffer[4096];
    DWORD n = GetFullPathNameW(path.c_str(), 4096, buffer, nullptr);
    return WithBackslash(n == 0 || n >= 4096 ? path : std::wstring(buffer));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    UpdateRunOptions options;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--every-progress") {
            options.everyProgressLine = true;
        } else if (arg == L"--attempt-pause-ms" && i + 1 < argc) {
            // Shorter pauses between the attempts of a failing request, for a quick check.
            const uint32_t pause = static_cast<uint32_t>(_wtoi(argv[++i]));
            SetAttemptPauseForTesting([pause](uint32_t) { Sleep(pause); });
        } else if (positional == 0) {
            options.rootDirectory = FullFolder(arg);
            ++positional;
        } else if (positional == 1) {
            options.launcherDirectory = FullFolder(arg);
            ++positional;
        } else if (positional == 2) {
            options.packageUrl = arg;
            ++positional;
        } else {
            positional = 99;
        }
    }
    if (positional != 3) {
        fputs("usage: qxupdate ROOT_FOLDER LAUNCHER_FOLDER PACKAGE_URL [--every-progress] [--attempt-pause-ms N]\n"
              "  Game files go to ROOT_FOLDER\\game\\, version.txt to ROOT_FOLDER; launcher files are\n"
              "  staged into LAUNCHER_FOLDER\\launcher.tmp for the restart. Progress lines come a few\n"
              "  per second unless --every-progress; failing requests are repeated after 5 s unless\n"
              "  --attempt-pause-ms says otherwise.\n"
              "  exit codes: 0 game ready, 2 launcher updated (restart needed), 3 configuration request\n"
              "  failed, 4 configuration empty, 5 configuration not a package configuration, 6 game\n"
              "  files failed, 7 launcher files failed, 8 free space unknown, 9 disk full, 10 stopped\n",
              stderr);
        return UpdateExitUsage;
    }
    UpdateRunner runner(PrintLine);
    g_runner = &runner;
    // A console process started in a new process group ignores Ctrl+C until it asks for it.
    SetConsoleCtrlHandler(nullptr, FALSE);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    int code = runner.Run(options);
    fflush(stdout);
    // Download workers may still be winding down; end at once, as the launcher does.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    return code;
}
