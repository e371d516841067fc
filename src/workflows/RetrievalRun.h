#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "feed/ItemDates.h"

namespace lumeward::feed {
class ComponentRegistry;
class FeedReader;
}  // namespace lumeward::feed

namespace lumeward::workflows {

// One item retrieved, as a result row shows it. Texts are UTF-8.
struct RetrievedRow {
    std::string feed;  // the feed address exactly as listed
    std::string title;
    std::string description;
    std::string url;
    std::optional<feed::ItemDate> date = std::nullopt;
};

// How many addresses a run reads at once, in all and on one server.
struct RetrievalLimits {
    std::size_t jobs = 8;
    std::size_t perServer = 2;
};

// The read of one listed address, as a run hands it over.
struct FeedRead {
    FeedRead();
    FeedRead(std::size_t place, std::string text, bool succeeded,
             std::unique_ptr<feed::FeedReader> used);
    // Out of line, where the reader is a complete type.
    ~FeedRead();
    FeedRead(FeedRead&&) noexcept;
    FeedRead& operator=(FeedRead&&) noexcept;

    std::size_t index = 0;  // place in the list, from 0
    std::string address;
    bool ok = false;
    // What the read found and why it failed; none when the run was stopped
    // before the address was read.
    std::unique_ptr<feed::FeedReader> reader;
};

// A read's outcome for the address list: a few words, and the whole story.
struct FeedStatus {
    std::string summary;  // "20 items", "HTTP 404 Not Found", "Timed out", ...
    std::string detail;   // the reader's full error or status text; empty when ok
};

// Reads a list of addresses side by side, each with its own FeedReader (empty
// credentials, kind recognised anew, HTML removed): at most limits.jobs at
// once and limits.perServer on one server, starting them in list order.
// The handlers run on the run's own threads; finished is called exactly once
// per address, also for those a stop leaves unread.
class RetrievalRun {
public:
    struct Handlers {
        std::function<void(std::size_t index)> started;
        std::function<void(FeedRead read)> finished;
    };

    RetrievalRun(std::vector<std::string> addresses, RetrievalLimits limits, Handlers handlers,
                 std::shared_ptr<const feed::ComponentRegistry> registry = nullptr);
    // Stops and waits for the run's threads.
    ~RetrievalRun();
    RetrievalRun(const RetrievalRun&) = delete;
    RetrievalRun& operator=(const RetrievalRun&) = delete;

    // Transfers in flight end within a second; no further address is read.
    // Returns at once.
    void stop();

private:
    struct Server {
        std::deque<std::size_t> waiting;  // indexes of addresses not yet started
        std::size_t reading = 0;
    };

    void work(std::stop_token stop);
    // The next address to read, or none when there is nothing left or stop is requested.
    std::optional<std::pair<std::size_t, std::size_t>> claim(std::stop_token& stop);
    void release(std::size_t server);
    void offerIfFree(std::size_t server);
    void handOverUnread();

    std::vector<std::string> m_addresses;
    std::vector<std::size_t> m_serverOf;
    RetrievalLimits m_limits;
    Handlers m_handlers;
    std::shared_ptr<const feed::ComponentRegistry> m_registry;
    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::vector<Server> m_servers;
    // Servers that may start another read, by the list index they would start.
    std::set<std::pair<std::size_t, std::size_t>> m_free;
    std::size_t m_waiting = 0;
    std::vector<std::jthread> m_threads;
};

// Reads the addresses as a RetrievalRun does and hands each read to consume on
// the calling thread, in list order, as soon as it and every read before it
// are done.
void readInOrder(std::vector<std::string> addresses, RetrievalLimits limits,
                 const std::function<void(FeedRead&)>& consume);

// The result rows of a read, one per item in feed order.
std::vector<RetrievedRow> rowsOf(const FeedRead& read);

FeedStatus describeRead(const FeedRead& read);

}  // namespace lumeward::workflows
