#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fault_server_client.h"
#include "net/request_timing.h"

// Every transport test talks to a freshly reset server, sees a fixed clock and counts the pauses
// between attempts instead of waiting for them.
class TransportTest : public ::testing::Test {
protected:
    static constexpr int64_t kNow = 1700000000;

    void SetUp() override {
        ASSERT_TRUE(FaultServer::Available()) << "run through run_with_server.sh";
        ASSERT_TRUE(FaultServer::Reset());
        pauses = 0;
        onPause = nullptr;
        SetUnixClockForTesting([] { return kNow; });
        SetAttemptPauseForTesting([this](uint32_t ms) {
            pauseMs = ms;
            ++pauses;
            if (onPause) onPause();
        });
    }
    void TearDown() override {
        SetUnixClockForTesting(nullptr);
        SetAttemptPauseForTesting(nullptr);
    }

    std::atomic<int> pauses{0};
    std::atomic<uint32_t> pauseMs{0};
    std::function<void()> onPause;
};
