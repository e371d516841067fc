#include "workflows/Pause.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace lumeward::workflows {

void Pause(double seconds, const std::function<void()>& processEvents) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(seconds));
    // A short sleep between calls keeps the wait from spinning a core.
    constexpr auto kNap = std::chrono::milliseconds(10);
    processEvents();
    for (auto now = Clock::now(); now < end; now = Clock::now()) {
        std::this_thread::sleep_for(std::min<Clock::duration>(kNap, end - now));
        processEvents();
    }
}

}  // namespace lumeward::workflows
