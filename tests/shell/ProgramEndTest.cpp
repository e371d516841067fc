// The real program, from its window's close to its end.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <regex>
#include <string>

#include "support/ChildProcess.h"
#include "support/ScopedHome.h"
#include "window/Settings.h"

namespace lumeward::shell {
namespace {

// The preloaded driver closes the window while the run waits for a name lookup that
// takes ten seconds; only a run that does not wait for it lets the program end in time.
TEST(Program, EndsWithinThreeSecondsOfItsCloseWhileANameLookupHangs) {
    const test::ScopedHome home;
    // The one start in a hundred that opens the home page would outlive the test.
    window::SaveSetting("Kelvarin", "Lumeward", "Show Home Page", "0");
    const char* asan = std::getenv("ASAN_OPTIONS");
    // AddressSanitizer wants its run-time first in the list; the driver comes before it.
    const test::RunResult result = test::runProgram(
        "/usr/bin/env",
        {"LD_PRELOAD=" LUMEWARD_CLOSE_DRIVER,
         "ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":verify_asan_link_order=0",
         LUMEWARD_PROGRAM});
    const auto ended = std::chrono::steady_clock::now();

    std::smatch closed;
    ASSERT_TRUE(std::regex_search(result.err, closed, std::regex("closed at (\\d+)")))
        << result.err;
    const std::chrono::steady_clock::time_point closedAt(
        std::chrono::nanoseconds(std::stoll(closed[1].str())));
    EXPECT_LT(ended - closedAt, std::chrono::seconds(3));
    EXPECT_EQ(result.status, 0) << result.err;
}

}  // namespace
}  // namespace lumeward::shell
