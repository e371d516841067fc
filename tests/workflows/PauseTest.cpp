#include "workflows/Pause.h"

#include <gtest/gtest.h>

#include <chrono>

TEST(Pause, HandlesEventsOnceWhenZeroAndNapsBetweenCallsForTheWholePause) {
    int calls = 0;
    lumeward::workflows::Pause(0.0, [&calls] { ++calls; });
    EXPECT_EQ(calls, 1);
    const auto start = std::chrono::steady_clock::now();
    lumeward::workflows::Pause(0.05, [&calls] { ++calls; });
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    // About one call per 10 ms nap; a spinning loop would call thousands of times.
    EXPECT_TRUE(calls >= 1 + 3 && calls <= 1 + 20) << calls;
}
