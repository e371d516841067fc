#include "workflows/Pause.h"

#include <gtest/gtest.h>

#include <chrono>

using lumeward::workflows::Pause;

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

TEST(Pause, LastsAtLeastAFractionalPauseAndKeepsHandlingEvents) {
    int calls = 0;
    const auto start = Clock::now();
    Pause(0.05, [&calls] { ++calls; });
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(50));
    EXPECT_GE(calls, 3);
    // Sleeping between calls: a spinning loop would call thousands of times.
    EXPECT_LE(calls, 20);
}

TEST(Pause, AZeroPauseHandlesEventsOnce) {
    int calls = 0;
    Pause(0.0, [&calls] { ++calls; });
    EXPECT_EQ(calls, 1);
}
