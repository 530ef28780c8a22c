#pragma once

// Runs the resource manager the way the launcher's flow does after the package address is
// known (after the size notice: wait for the idle downloader, launcher first, then the game)
// and records what it reports.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cdntest {

struct UpdateRecord {
    std::vector<int> states;        // every state in order, progress included
    int64_t sizeKnown = -1;         // totalBytes of the size notice
    int errorCode = 0;              // of ProgressServerLoadFailed
    int64_t lastDownloaded = -1;    // of the last progress record
    int64_t lastTotal = -1;
    int64_t maxDownloaded = 0;
    bool timedOut = false;

    // The states without the repeated progress reports: 17 appears once per run of them.
    std::vector<int> Compact() const;
};

// `onState` runs on the test's thread for every state as it is handled (before the flow's own
// action), and with 0 every 50 ms while nothing arrives; returning false ends the run there, as
// a closed launcher would.
UpdateRecord RunUpdate(const std::wstring& launcherDirectory, const std::wstring& rootDirectory,
                       const std::wstring& packageUrl, std::function<bool(int)> onState = nullptr);

// Waits until the downloader's workers have all ended.
void WaitForIdleDownloader();

}  // namespace cdntest
