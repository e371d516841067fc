// The memory between runs: what a feed's read costs in the cache (a 50-item
// body of about 30 KB kept with its validators and read back; the round of an
// unchanged feed), and the saved-items record and address list at 10,000.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <vector>

#include "memory/ItemKey.h"
#include "memory/ResponseCache.h"
#include "memory/UserStore.h"
#include "support/BenchFolder.h"

namespace {

using lumeward::bench::BenchFolder;
using namespace lumeward::memory;

constexpr std::size_t kFeeds = 200;
constexpr std::size_t kItems = 10'000;

std::string feedAddress(std::size_t index) {
    return "https://news" + std::to_string(index % 20) + ".example.org/rss/feed-" +
           std::to_string(index) + ".xml";
}

// An RSS body of 50 items, about 30 KB.
std::string feedBody() {
    std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>";
    for (int item = 0; item < 50; ++item) {
        const std::string n = std::to_string(item);
        body += "<item><title>Council approves the new harbour plan, item " + n +
                "</title><link>https://news.example.org/articles/harbour-plan-" + n +
                ".html</link><guid>urn:news:harbour-plan-" + n +
                "</guid><description>The city council voted on Tuesday to approve the "
                "harbour plan, which adds two piers, a ferry terminal and a cycle path "
                "along the quay. Residents raised concerns about traffic and noise during "
                "construction; the council promised quiet hours and a public FAQ. Work is "
                "due to start in spring and last about three years, and the ferry service "
                "will run from a temporary pier meanwhile.</description>"
                "<pubDate>Sat, 05 Dec 2026 10:00:00 GMT</pubDate></item>";
    }
    return body + "</channel></rss>";
}

const Validators kValidators = {"W/\"5f3a-1b2c3d4e5f\"", "Sat, 05 Dec 2026 10:00:00 GMT"};

// A first read: the full answer kept, then read back as the next run reads it.
void BM_KeepAndReadBack(benchmark::State& state) {
    const BenchFolder folder;
    ResponseCache cache(folder.path() / "cache.sqlite");
    const std::string body = feedBody();
    std::size_t feed = 0;
    for (auto _ : state) {
        const std::string address = feedAddress(feed++ % kFeeds);
        cache.keep(address, kValidators, "application/rss+xml; charset=utf-8", body);
        benchmark::DoNotOptimize(cache.kept(address));
    }
    state.counters["body_bytes"] = static_cast<double>(body.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_KeepAndReadBack)->Unit(benchmark::kMicrosecond);

// A second read of an unchanged feed: is its server held, what is kept, then
// the 304 noted.
void BM_NotModifiedRound(benchmark::State& state) {
    const BenchFolder folder;
    ResponseCache cache(folder.path() / "cache.sqlite");
    const std::string body = feedBody();
    for (std::size_t feed = 0; feed < kFeeds; ++feed) {
        cache.keep(feedAddress(feed), kValidators, "application/rss+xml", body);
    }
    std::size_t feed = 0;
    for (auto _ : state) {
        const std::string address = feedAddress(feed++ % kFeeds);
        benchmark::DoNotOptimize(cache.heldUntil("news1.example.org"));
        benchmark::DoNotOptimize(cache.kept(address));
        cache.refresh(address, {});
    }
}
BENCHMARK(BM_NotModifiedRound)->Unit(benchmark::kMicrosecond);

std::vector<std::string> itemKeys(std::size_t count) {
    std::vector<std::string> keys;
    keys.reserve(count);
    for (std::size_t item = 0; item < count; ++item) {
        keys.push_back(itemKey(feedAddress(item % 20),
                               "urn:news:harbour-plan-" + std::to_string(item), "", "", ""));
    }
    return keys;
}

// 10,000 files recorded into one folder, range(0) at a time: 1 as each file is
// closed, 100, or all at once.
void BM_RecordSavedItems(benchmark::State& state) {
    const auto keys = itemKeys(kItems);
    const auto batch = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        {
            const BenchFolder folder;
            UserStore store(folder.path() / "memory.sqlite");
            std::vector<SavedFile> files;
            state.ResumeTiming();
            for (std::size_t item = 0; item < kItems; item += batch) {
                files.clear();
                for (std::size_t in = item; in < item + batch && in < kItems; ++in) {
                    files.push_back(
                        {keys[in], "httpnewsexampleorgrss" + std::to_string(in) + ".html"});
                }
                store.recordSaved("/home/user/feeds", files);
            }
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.counters["items"] = kItems;
}
BENCHMARK(BM_RecordSavedItems)->Arg(1)->Arg(100)->Arg(kItems)->Unit(benchmark::kMillisecond);

// 10,000 keys looked up in a record of range(0) items in the folder (and as
// many in another), half of them saved there.
void BM_LookUpSavedKeys(benchmark::State& state) {
    const BenchFolder folder;
    UserStore store(folder.path() / "memory.sqlite");
    const auto recorded = static_cast<std::size_t>(state.range(0));
    const auto keys = itemKeys(recorded + kItems / 2);
    std::vector<SavedFile> files;
    for (std::size_t item = 0; item < recorded; ++item) {
        files.push_back({keys[item], "file" + std::to_string(item) + ".html"});
    }
    store.recordSaved("/home/user/feeds", files);
    store.recordSaved("/home/user/other", files);
    const std::vector<std::string> asked(keys.end() - kItems, keys.end());
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.savedInto("/home/user/feeds", asked));
    }
    state.counters["keys"] = kItems;
}
BENCHMARK(BM_LookUpSavedKeys)->Arg(kItems)->Arg(10 * kItems)->Unit(benchmark::kMillisecond);

// The address list of 10,000 kept after a change, and read back as at start.
void BM_KeptAddressList(benchmark::State& state) {
    const BenchFolder folder;
    UserStore store(folder.path() / "memory.sqlite");
    std::vector<KeptAddress> list;
    for (std::size_t feed = 0; feed < kItems; ++feed) {
        list.push_back({feedAddress(feed), "50 items, not changed", ""});
    }
    for (auto _ : state) {
        store.keepAddresses(list);
        benchmark::DoNotOptimize(store.keptAddresses());
    }
    state.counters["addresses"] = kItems;
}
BENCHMARK(BM_KeptAddressList)->Unit(benchmark::kMillisecond);

}  // namespace
