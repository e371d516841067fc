#pragma once

#include <functional>

namespace lumeward::workflows {

// Keeps calling processEvents until at least the given number of seconds has
// passed on a monotonic clock (one that does not jump back at midnight).
void Pause(double seconds, const std::function<void()>& processEvents);

}  // namespace lumeward::workflows
