// Retrieval runs as lumeward-batch makes them (readInOrder), over loopback feed
// servers, each beside the same run one feed at a time (jobs 1).
#include <malloc.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include <ctime>
#include <memory>

#include "memory/ResponseCache.h"
#include "support/BenchFolder.h"
#include "support/FeedFarm.h"
#include "workflows/RetrievalRun.h"

namespace {

using lumeward::bench::FarmShape;
using lumeward::bench::FeedFarm;
using lumeward::workflows::FeedRead;
using Clock = std::chrono::steady_clock;

// Reads every address, showing each read to `also` first; fails the benchmark
// unless each read brought `items` rows.
void readAll(
    benchmark::State& state, const FeedFarm& farm, int items,
    const std::function<void(const FeedRead&)>& also = [](const FeedRead&) {},
    const lumeward::workflows::RunMemory& memory = {}) {
    std::size_t rows = 0;
    bool allRead = true;
    lumeward::workflows::readInOrder(
        farm.addresses(), {.jobs = static_cast<std::size_t>(state.range(0))},
        [&](FeedRead& read) {
            also(read);
            rows += lumeward::workflows::rowsOf(read).size();
            allRead = allRead && read.ok;
        },
        memory);
    if (!allRead || rows != farm.addresses().size() * static_cast<std::size_t>(items)) {
        state.SkipWithError("the run did not collect every item");
    }
}

// 200 feeds of 50 items on one host that answers at once.
void BM_RetrievalRun(benchmark::State& state) {
    const FeedFarm farm({.feeds = 200, .itemsPerFeed = 50});
    for (auto _ : state) {
        readAll(state, farm, 50);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(farm.totalBytes()));
}
BENCHMARK(BM_RetrievalRun)->Arg(8)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// 200 feeds of 20 items on 20 hosts (or one), every answer 100 ms late.
void BM_SlowHosts(benchmark::State& state) {
    FeedFarm farm({.feeds = 200,
                   .itemsPerFeed = 20,
                   .hosts = static_cast<int>(state.range(1)),
                   .delay = std::chrono::milliseconds(100)});
    for (auto _ : state) {
        readAll(state, farm, 20);
    }
    state.counters["most_on_one_host"] = farm.mostAtOnceOnOneHost();
}
BENCHMARK(BM_SlowHosts)
    ->Args({8, 20})
    ->Args({1, 20})
    ->Args({8, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same with one server that never answers: when the other 199 feeds are in,
// and how long a stop then takes.
void BM_StalledHost(benchmark::State& state) {
    const FeedFarm farm({.feeds = 200,
                         .itemsPerFeed = 20,
                         .hosts = 20,
                         .delay = std::chrono::milliseconds(100),
                         .stalledFeed = 0});
    double othersIn = 0, stopTook = 0;
    for (auto _ : state) {
        std::mutex mutex;
        std::condition_variable changed;
        std::size_t finished = 0;
        const auto start = Clock::now();
        lumeward::workflows::RetrievalRun run(farm.addresses(),
                                              {.jobs = static_cast<std::size_t>(state.range(0))},
                                              {.started = {}, .finished = [&](FeedRead) {
                                                   std::lock_guard lock(mutex);
                                                   ++finished;
                                                   changed.notify_all();
                                               }});
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return finished == 199; });
        const auto stopAt = Clock::now();
        othersIn = std::chrono::duration<double>(stopAt - start).count();
        run.stop();
        changed.wait(lock, [&] { return finished == 200; });
        stopTook = std::chrono::duration<double>(Clock::now() - stopAt).count();
    }
    state.counters["others_in_s"] = othersIn;
    state.counters["stop_s"] = stopTook;
}
BENCHMARK(BM_StalledHost)->Arg(8)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Heap bytes in use, in every arena and in mapped blocks (glibc).
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// 100 or 200 feeds of about 0.5 MB on 20 hosts, the first answering 3 s late: the
// heap the ordered run holds when that feed comes in, the reads done behind it.
void BM_SlowFirstFeed(benchmark::State& state) {
    const FeedFarm farm({.feeds = static_cast<int>(state.range(1)),
                         .itemsPerFeed = 700,
                         .hosts = 20,
                         .slowFeed = 0,
                         .slowFeedDelay = std::chrono::seconds(3)});
    double heldMiB = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        readAll(state, farm, 700, [&](const FeedRead& read) {
            if (read.index == 0) {
                heldMiB = static_cast<double>(heapInUse() - before) / (1 << 20);
            }
        });
    }
    state.counters["held_MiB"] = heldMiB;
    state.counters["feeds_MiB"] = static_cast<double>(farm.totalBytes()) / (1 << 20);
}
BENCHMARK(BM_SlowFirstFeed)
    ->Args({8, 100})
    ->Args({8, 200})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

double processCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// 200 feeds of 50 items on 20 hosts, every answer 100 ms late, read three times:
// without memory, then twice with a fresh cache, the second time with nothing
// changed (If-None-Match, 304). The time counted is the second run's; the
// counters give each run's wall and CPU time (the servers' included, alike in
// the first two) and the body bytes the second run took against the first's.
void BM_SecondRunUnchanged(benchmark::State& state) {
    constexpr int kFeeds = 200;
    FeedFarm farm({.feeds = kFeeds,
                   .itemsPerFeed = 50,
                   .hosts = 20,
                   .delay = std::chrono::milliseconds(100)});
    for (auto _ : state) {
        const lumeward::bench::BenchFolder folder;
        const lumeward::workflows::RunMemory memory{
            std::make_shared<lumeward::memory::ResponseCache>(folder.path() / "cache.sqlite")};
        const auto timedRun = [&](const lumeward::workflows::RunMemory& given, const char* name) {
            farm.resetCounts();
            const double cpuBefore = processCpuSeconds();
            const auto start = Clock::now();
            readAll(
                state, farm, 50, [](const FeedRead&) {}, given);
            const std::chrono::duration<double> wall = Clock::now() - start;
            state.counters[std::string(name) + "_s"] = wall.count();
            state.counters[std::string(name) + "_cpu_ms_per_feed"] =
                (processCpuSeconds() - cpuBefore) * 1e3 / kFeeds;
            return std::pair{wall.count(), farm.bodyBytesSent()};
        };
        timedRun({}, "no_memory");
        const auto first = timedRun(memory, "first");
        const auto second = timedRun(memory, "second");
        state.SetIterationTime(second.first);
        state.counters["second_bytes_pct"] =
            100.0 * static_cast<double>(second.second) / static_cast<double>(first.second);
        if (memory.cache->takeWarning()) {
            state.SkipWithError("the cache could not be used");
        }
    }
}
BENCHMARK(BM_SecondRunUnchanged)
    ->Arg(8)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
