#include "support/SlowLookup.h"

#include <dlfcn.h>
#include <netdb.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace lumeward::test {

namespace {

struct Waiting {
    std::mutex mutex;
    std::condition_variable released;
    int underWay = 0;
    unsigned round = 0;  // counts the releases
};

// Never destroyed: a lookup may still wait while the program ends.
Waiting& waiting() {
    static auto* state = new Waiting;
    return *state;
}

}  // namespace

int slowLookupsUnderWay() {
    std::lock_guard lock(waiting().mutex);
    return waiting().underWay;
}

void releaseSlowLookups() {
    std::lock_guard lock(waiting().mutex);
    ++waiting().round;
    waiting().released.notify_all();
}

}  // namespace lumeward::test

extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                           addrinfo** found) {
    using lumeward::test::waiting;
    if (node != nullptr && std::strcmp(node, lumeward::test::kSlowLookupHost) == 0) {
        std::unique_lock lock(waiting().mutex);
        const unsigned round = waiting().round;
        ++waiting().underWay;
        waiting().released.wait_for(lock, std::chrono::seconds(10),
                                    [round] { return waiting().round != round; });
        --waiting().underWay;
        return EAI_NONAME;
    }
    using Lookup = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    static const auto next = reinterpret_cast<Lookup>(::dlsym(RTLD_NEXT, "getaddrinfo"));
    return next(node, service, hints, found);
}
