#pragma once

#include <atomic>
#include <chrono>

#include "memory/StoreOptions.h"

namespace lumeward::test {

// A clock a test sets by hand, read safely from any thread; the options it
// gives wait only briefly for another process's lock.
class SettableClock {
public:
    // 6 December 2026, 00:00:00 UTC.
    static constexpr memory::TimePoint kStart{std::chrono::seconds(1'796'515'200)};

    memory::TimePoint now() const { return memory::TimePoint(std::chrono::seconds(m_seconds)); }
    void advance(std::chrono::seconds by) { m_seconds += by.count(); }
    memory::StoreOptions options() {
        return {[this] { return now(); }, std::chrono::milliseconds(200)};
    }

private:
    std::atomic<std::int64_t> m_seconds{kStart.time_since_epoch().count()};
};

}  // namespace lumeward::test
