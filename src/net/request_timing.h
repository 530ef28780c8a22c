#pragma once

#include <cstdint>
#include <functional>

// The clock behind request time stamps and the pause between attempts of a request. Tests
// replace them so that nothing waits for seconds; an empty function restores the real one.
// Replace them only while no request runs.
using UnixClock = std::function<int64_t()>;
using AttemptPause = std::function<void(uint32_t milliseconds)>;

void SetUnixClockForTesting(UnixClock clock);
void SetAttemptPauseForTesting(AttemptPause pause);

// Whole seconds since 1970-01-01 00:00 UTC.
int64_t CurrentUnixSeconds();
void PauseBetweenAttempts(uint32_t milliseconds);
