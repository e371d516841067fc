// Retrieval runs as lumeward-batch makes them (readInOrder), over loopback feed
// servers, each beside the same run one feed at a time (jobs 1).
#include <malloc.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

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
    const std::function<void(const FeedRead&)>& also = [](const FeedRead&) {}) {
    std::size_t rows = 0;
    bool allRead = true;
    lumeward::workflows::readInOrder(
        farm.addresses(), {.jobs = static_cast<std::size_t>(state.range(0))}, [&](FeedRead& read) {
            also(read);
            rows += lumeward::workflows::rowsOf(read).size();
            allRead = allRead && read.ok;
        });
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
