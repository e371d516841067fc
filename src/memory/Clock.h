#pragma once

#include <chrono>
#include <functional>

namespace lumeward::memory {

// Instants as the stores keep them: whole seconds of the system clock (UTC).
using TimePoint = std::chrono::sys_seconds;
// Where the stores take "now" from; tests give one they can set.
using Clock = std::function<TimePoint()>;

TimePoint systemNow();

}  // namespace lumeward::memory
