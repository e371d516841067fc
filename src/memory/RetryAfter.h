#pragma once

#include <chrono>
#include <optional>
#include <string_view>

#include "memory/Clock.h"

namespace lumeward::memory {

// The longest a server that asked to wait is left alone, whatever it asked.
inline constexpr std::chrono::hours kLongestWait{24};

// When a server that answered "Retry-After: value" at now may be asked again:
// value is a number of seconds or an HTTP date (IMF-fixdate, or the obsolete
// RFC 850 and asctime forms), and the instant is never after now + kLongestWait.
// None when value is neither, or names no instant after now.
std::optional<TimePoint> retryAfterInstant(std::string_view value, TimePoint now);

}  // namespace lumeward::memory
