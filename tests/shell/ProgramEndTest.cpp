// The real program, from its window's close to its end.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <regex>
#include <string>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace lumeward::shell {
namespace {

// Sets an environment variable for the programs started in the object's lifetime.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_saved = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() { m_saved ? ::setenv(m_name, m_saved->c_str(), 1) : ::unsetenv(m_name); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_saved;
};

// The driver closes the window while the run waits for a name lookup that takes ten
// seconds; libcurl cannot cut a lookup short, so only a run that does not wait for it
// lets the program end in time.
TEST(Program, EndsWithinThreeSecondsOfItsCloseWhileANameLookupHangs) {
    const test::TempDir home;
    const ScopedVariable homes[] = {{"HOME", home.path().string()},
                                    {"XDG_CONFIG_HOME", (home.path() / "config").string()},
                                    {"XDG_DATA_HOME", (home.path() / "data").string()}};
    const ScopedVariable preload("LD_PRELOAD", LUMEWARD_CLOSE_DRIVER);
    // AddressSanitizer wants its run-time first in the list; the driver comes before it.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const ScopedVariable asanOrder("ASAN_OPTIONS",
                                   std::string(asan ? asan : "") + ":verify_asan_link_order=0");

    const test::RunResult result = test::runProgram(LUMEWARD_PROGRAM, {});
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
