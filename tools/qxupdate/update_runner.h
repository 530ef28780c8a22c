#pragma once

// Runs one resource update the way the launcher's flow does after the package address is
// known, printing every progress state as one line, and gives the process exit code.

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "resources/progress_info.h"

enum UpdateExitCode {
    UpdateExitReady = 0,            // the game files are current
    UpdateExitUsage = 1,
    UpdateExitLauncherRestart = 2,  // launcher files updated: launcher.tmp waits for the restart
    UpdateExitConfigRequestFailed = 3,
    UpdateExitConfigNoContent = 4,
    UpdateExitConfigParseFailed = 5,
    UpdateExitGameBatchFailed = 6,
    UpdateExitLauncherBatchFailed = 7,
    UpdateExitDiskSpaceUnknown = 8,
    UpdateExitDiskFull = 9,
    UpdateExitStopped = 10,         // stopped by the operator (Ctrl+C / Ctrl+Break / close)
};

struct UpdateRunOptions {
    std::wstring rootDirectory;      // ends with a backslash
    std::wstring launcherDirectory;  // ends with a backslash
    std::wstring packageUrl;
    bool everyProgressLine = false;  // otherwise progress lines are thinned to a few per second
};

class UpdateRunner {
public:
    explicit UpdateRunner(std::function<void(const std::string&)> print) : m_print(std::move(print)) {}

    int Run(const UpdateRunOptions& options);
    // From the console control handler's thread: do what the launcher's close does.
    void RequestStop();

    // Free bytes on the volume of a folder; false when they cannot be read.
    std::function<bool(const std::wstring&, uint64_t*)> m_freeSpace;
    // Pause while waiting for the dispatcher to go idle.
    std::function<void()> m_idlePause = [] { Sleep(16); };

private:
    struct Event {
        int state;
        std::unique_ptr<ResourceManagerProgressInfoBase> record;
    };

    void OnProgress(ResourceManagerProgressState state, ResourceManagerProgressInfoBase* info);
    void PrintEvent(int state, const ResourceManagerProgressInfoBase* record);
    int HandleSizeKnown(int64_t total);
    void WaitForIdleDownloader();

    std::function<void(const std::string&)> m_print;
    UpdateRunOptions m_options;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<Event> m_events;
    bool m_stopRequested = false;
    std::unique_ptr<ResourceManagerProgressInfoBase> m_pendingProgress;
    uint64_t m_lastProgressTick = 0;
};
