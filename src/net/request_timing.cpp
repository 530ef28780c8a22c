#include "net/request_timing.h"

#include <windows.h>

#include <ctime>
#include <mutex>
#include <utility>

namespace {

std::mutex g_seamLock;
UnixClock g_clock;
AttemptPause g_pause;

}  // namespace

void SetUnixClockForTesting(UnixClock clock) {
    std::lock_guard<std::mutex> lock(g_seamLock);
    g_clock = std::move(clock);
}

void SetAttemptPauseForTesting(AttemptPause pause) {
    std::lock_guard<std::mutex> lock(g_seamLock);
    g_pause = std::move(pause);
}

int64_t CurrentUnixSeconds() {
    UnixClock clock;
    {
        std::lock_guard<std::mutex> lock(g_seamLock);
        clock = g_clock;
    }
    if (clock) return clock();
    return static_cast<int64_t>(std::time(nullptr));
}

void PauseBetweenAttempts(uint32_t milliseconds) {
    AttemptPause pause;
    {
        std::lock_guard<std::mutex> lock(g_seamLock);
        pause = g_pause;
    }
    if (pause)
        pause(milliseconds);
    else
        ::Sleep(milliseconds);
}
