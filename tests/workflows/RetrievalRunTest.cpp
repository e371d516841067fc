#include "workflows/RetrievalRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <map>
#include <ranges>

#include "feed/ComponentRegistry.h"
#include "feed/FeedReader.h"
#include "support/LoopbackServer.h"
#include "support/SlowLookup.h"

using namespace lumeward::workflows;
using lumeward::test::kSlowLookupHost;
using lumeward::test::LoopbackServer;
using namespace std::chrono_literals;

namespace {

std::string feedOf(int items) {
    std::string body = "<rss version=\"2.0\"><channel>";
    for (int i = 1; i <= items; ++i) {
        body += "<item><title>" + std::to_string(i) + "</title><link>http://e/" +
                std::to_string(i) + "</link></item>";
    }
    return body + "</channel></rss>";
}

// How many requests are in progress, in all and on each server, and the most seen.
struct InFlight {
    std::mutex mutex;
    std::map<int, int> now, most;
    int total = 0, mostInAll = 0;

    void enter(int server) {
        std::lock_guard lock(mutex);
        most[server] = std::max(most[server], ++now[server]);
        mostInAll = std::max(mostInAll, ++total);
    }
    void leave(int server) {
        std::lock_guard lock(mutex);
        --now[server];
        --total;
    }
};

// Polls for up to five seconds; true once the condition holds.
bool eventually(const std::function<bool()>& holds) {
    for (int i = 0; i < 500 && !holds(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    return holds();
}

// Every read of a run, by index, once all are in.
std::vector<FeedRead> readAll(std::vector<std::string> addresses, RetrievalLimits limits = {}) {
    std::vector<FeedRead> reads;
    readInOrder(std::move(addresses), limits, [&](FeedRead& read) {
        EXPECT_EQ(read.index, reads.size()) << "handed over in list order";
        reads.push_back(std::move(read));
    });
    return reads;
}

}  // namespace

TEST(RetrievalRun, ReadsSideBySideWithinItsLimitsAndHandsReadsOverInListOrder) {
    // Three servers on two hosts: two ports of one host share its limit. The later an
    // address, the sooner its answer.
    LoopbackServer servers[3] = {LoopbackServer(), LoopbackServer(), LoopbackServer("127.0.0.2")};
    InFlight inFlight;
    std::vector<std::string> addresses;
    for (int i = 0; i < 12; ++i) {
        addresses.push_back(servers[i % 3].url("/f?" + std::to_string(i)));
    }
    addresses.push_back(addresses.front());  // listed twice, read twice
    for (int server = 0; server < 3; ++server) {
        const int host = server / 2;
        servers[server].handle("/f", [&, host](const httplib::Request& request, auto& response) {
            inFlight.enter(host);
            const int i = std::stoi(request.params.begin()->first);
            std::this_thread::sleep_for(40ms + (12 - i) * 4ms);
            response.set_content(feedOf(i % 4 + 1), "application/xml");
            inFlight.leave(host);
        });
    }
    for (const std::size_t jobs : {4u, 1u}) {
        SCOPED_TRACE(jobs);
        inFlight.most.clear();
        inFlight.mostInAll = 0;
        const auto reads = readAll(addresses, {.jobs = jobs, .perServer = 2});
        ASSERT_EQ(reads.size(), addresses.size());
        for (const auto& read : reads) {
            const auto rows = rowsOf(read);
            const int items = static_cast<int>(read.index % 12) % 4 + 1;
            EXPECT_TRUE(read.ok && read.address == addresses[read.index]);
            ASSERT_EQ(rows.size(), static_cast<std::size_t>(items));
            EXPECT_EQ(rows.back().title + rows.back().url + rows.back().feed,
                      std::to_string(items) + "http://e/" + std::to_string(items) + read.address);
        }
        EXPECT_EQ(inFlight.mostInAll, static_cast<int>(jobs));
        EXPECT_EQ(std::ranges::max(inFlight.most | std::views::values), std::min<int>(jobs, 2));
    }
    EXPECT_EQ(servers[0].hits("/f"), 2 * 5);
}

TEST(RetrievalRun, TellsEachOutcomeInAFewWordsAndInFull) {
    LoopbackServer server;
    server.serve("/two", 200, feedOf(2));
    server.serve("/one", 200, feedOf(1));
    server.serve("/none", 200, feedOf(0));
    server.serve("/text", 200, "Hello", "text/plain");
    server.serve("/site", 200, "<link rel=alternate type=application/rss+xml href=two>",
                 "text/html");
    server.serve("/old-site", 200, "<link rel=alternate type=application/rss+xml href=missing>",
                 "text/html");
    server.serve("/busy", 503, "<p>Busy<br></p>", "text/html");
    server.handle("/slow-down", [](auto&, httplib::Response& response) {
        response.status = 429;
        response.set_header("Retry-After", "120");
    });
    const std::string refused =
        "http://127.0.0.1:" + std::to_string(lumeward::test::unusedLoopbackPort());
    // clang-format off
    using enum FeedStatus::Kind;
    const std::vector<std::pair<std::string, FeedStatus>> cases = {
        {server.url("/two"), {"2 items", "", Items, 2}},
        {server.url("/one"), {"1 item", "", Items, 1}},
        {server.url("/none"), {"0 items", "", Items, 0}},
        {server.url("/site"), {"2 items, from the feed found at " + server.url("/two"), "", Items, 2}},
        {server.url("/old-site"), {"HTTP 404 Not Found", "Reading the feed found at " +
                                   server.url("/missing") + ": HTTP 404 Not Found", ServerAnswer}},
        {server.url("/missing"), {"HTTP 404 Not Found", "HTTP 404 Not Found", ServerAnswer}},
        {server.url("/slow-down"), {"HTTP 429 Too Many Requests; retry after 120 seconds",
                                    "HTTP 429 Too Many Requests; retry after 120 seconds", ServerAnswer}},
        {server.url("/busy"), {"HTTP 503 Service Unavailable", "HTTP 503 Service Unavailable", ServerAnswer}},
        {server.url("/text"), {"Not a feed", "Not well-formed XML: ", Failure}},
        {refused + "/feed", {"Could not connect", "Failed to connect to 127.0.0.1 port ", Failure}},
        {"gopher://127.0.0.1/feed", {"Not a web address", "Protocol \"gopher\" not supported", Failure}},
    };
    // clang-format on
    std::vector<std::string> addresses;
    for (const auto& [address, expected] : cases) {
        addresses.push_back(address);
    }
    const auto reads = readAll(addresses);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].first);
        const FeedStatus status = describeRead(reads[i]);
        EXPECT_EQ(status.summary, cases[i].second.summary);
        EXPECT_TRUE(status.detail.starts_with(cases[i].second.detail)) << status.detail;
        EXPECT_EQ(std::pair(status.kind, status.items),
                  std::pair(cases[i].second.kind, cases[i].second.items));
        EXPECT_EQ(reads[i].ok, i < 4);
    }
    EXPECT_EQ(server.hits("/slow-down"), 1) << "a server that asked for fewer requests";
    EXPECT_EQ(server.hits("/busy"), 4) << "every other failure tries the next component";
}

TEST(RetrievalRun, StopEndsTransfersInFlightAtOnceAndLeavesTheRestUnread) {
    std::atomic<bool> released = false;  // outlives the server, which waits for its answers
    LoopbackServer server;
    server.handle("/stall", [&](auto&, httplib::Response& response) {
        for (int i = 0; i < 1000 && !released; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        response.set_content(feedOf(1), "application/xml");
    });
    std::mutex mutex;
    std::condition_variable changed;
    int started = 0;
    std::vector<std::string> outcomes(3);
    std::size_t finished = 0;
    const auto begin = std::chrono::steady_clock::now();
    {
        RetrievalRun run(std::vector<std::string>(3, server.url("/stall")),
                         {.jobs = 8, .perServer = 2},
                         {.started =
                              [&](std::size_t) {
                                  std::lock_guard lock(mutex);
                                  ++started;
                                  changed.notify_all();
                              },
                          .finished =
                              [&](FeedRead read) {
                                  std::lock_guard lock(mutex);
                                  outcomes[read.index] = describeRead(read).summary;
                                  ++finished;
                                  changed.notify_all();
                              }});
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return started == 2; });
        run.stop();
        changed.wait(lock, [&] { return finished == 3; });
    }
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 5s) << "not when the server gave up";
    EXPECT_EQ(outcomes, (std::vector<std::string>{"Stopped", "Stopped", "Not read"}));
    EXPECT_EQ(started, 2);
    released = true;
}

TEST(RetrievalRun, InListOrderReadsNoFurtherAheadThanFourAddressesPerJob) {
    std::atomic<bool> firstMayAnswer = false;  // outlives the server, which waits for its answers
    LoopbackServer server;
    server.handle("/f", [&](const httplib::Request& request, httplib::Response& response) {
        for (int i = 0; i < 1000 && request.params.begin()->first == "0" && !firstMayAnswer; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        response.set_content(feedOf(1), "application/xml");
    });
    std::vector<std::string> addresses;
    for (int i = 0; i < 30; ++i) {
        addresses.push_back(server.url("/f?" + std::to_string(i)));
    }
    auto reads = std::async(std::launch::async, [&] { return readAll(addresses, {.jobs = 2}); });
    // Two jobs: the first feed, held back, and the seven after it; then nothing until it is in.
    EXPECT_TRUE(eventually([&] { return server.requests().size() == 8; }));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(server.requests().size(), 8u);
    firstMayAnswer = true;
    EXPECT_EQ(reads.get().size(), addresses.size());
}

// libcurl waits for a name lookup before a stopped transfer returns. The run does not: the
// read is handed over as stopped, and its late outcome is dropped with nothing to call.
TEST(RetrievalRun, StopDuringANameLookupEndsTheReadWithinASecondAndDropsItsLateOutcome) {
    using lumeward::feed::ComponentRegistry;
    const auto registry = std::make_shared<const ComponentRegistry>(ComponentRegistry::standard());
    std::mutex mutex;
    std::vector<std::string> outcomes;
    const auto outcomesNow = [&] {
        std::lock_guard lock(mutex);
        return outcomes;
    };
    auto run = std::make_unique<RetrievalRun>(
        std::vector<std::string>{"http://" + std::string(kSlowLookupHost) + "/",
                                 "http://127.0.0.1:1/"},
        RetrievalLimits{.jobs = 1},
        RetrievalRun::Handlers{.started = {},
                               .finished =
                                   [&](FeedRead read) {
                                       std::lock_guard lock(mutex);
                                       outcomes.push_back(describeRead(read).summary);
                                   }},
        RunMemory{}, registry);
    ASSERT_TRUE(eventually([] { return lumeward::test::slowLookupsUnderWay() == 1; }));
    const auto begin = std::chrono::steady_clock::now();
    run->stop();
    run.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 1s) << "the stop and the run's end";
    EXPECT_EQ(outcomesNow(), (std::vector<std::string>{"Not read", "Stopped"})) << "each once";

    lumeward::test::releaseSlowLookups();
    // The thread's reader and the run's shared state hold the registry until the thread ends.
    EXPECT_TRUE(eventually([&] { return registry.use_count() == 1; }));
    EXPECT_EQ(outcomesNow().size(), 2u) << "nothing handed over after the run";
}
