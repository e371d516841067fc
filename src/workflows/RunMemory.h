#pragma once

#include <memory>
#include <optional>
#include <string>

#include "memory/Clock.h"

namespace lumeward::feed {
class FeedReader;
}
namespace lumeward::memory {
class ResponseCache;
}

namespace lumeward::workflows {

// What a run remembers between runs: kept answers for conditional requests,
// and the servers that asked to wait. Without a cache it remembers nothing.
struct RunMemory {
    std::shared_ptr<memory::ResponseCache> cache;
    // Sends no validators, so every feed is read in full; a server's wait
    // still holds, and what is read is still kept for the next run.
    bool readInFull = false;
};

// Before a read of address: hands the reader what is kept of it, and the
// instant until which its server asked to wait, when it did; the reader then
// does not ask it.
std::optional<memory::TimePoint> recall(const RunMemory& memory, const std::string& address,
                                        feed::FeedReader& reader);
// After the read (ok is ReadFeed's result): keeps what the next read needs, and
// the server's wait when it asked for one; then lets go of the bodies the reader held.
void remember(const RunMemory& memory, const std::string& address, bool ok,
              feed::FeedReader& reader);

// "14:05", in local time: a wait is at most a day long.
std::string localClock(memory::TimePoint when);
// "asked to wait until 14:05".
std::string askedToWait(memory::TimePoint until);

}  // namespace lumeward::workflows
