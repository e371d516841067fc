#pragma once

#include <chrono>

#include "memory/Clock.h"

namespace lumeward::memory {

// What a store needs beyond its file's path.
struct StoreOptions {
    Clock clock = systemNow;  // called from any thread that uses the store
    // How long to wait for another process's write before giving up on the file.
    std::chrono::milliseconds busyTimeout{5000};
};

}  // namespace lumeward::memory
