#include "memory/Clock.h"

namespace lumeward::memory {

TimePoint systemNow() {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

}  // namespace lumeward::memory
