#include "workflows/RetrievalRun.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <stop_token>
#include <utility>

#include "feed/CurlHttpRequest.h"
#include "feed/FeedReader.h"
#include "feed/ReadFailures.h"

namespace lumeward::workflows {

namespace {

constexpr std::int32_t kTooManyRequests = 429;
constexpr std::int32_t kUnavailable = 503;
// How long a stop waits for the reads in flight before it hands them over as
// stopped. A transfer ends within a second of a stop, but libcurl waits for a
// name lookup to finish, which may take much longer.
constexpr std::chrono::milliseconds kStopGrace{500};
// How many addresses per job an ordered run may read ahead of its consumer.
constexpr std::size_t kReadAheadPerJob = 4;

// "Retry-After: 120" gives seconds, any other value is a date; both are shown as sent.
std::string retryAfterText(const std::string& value) {
    const bool seconds = !value.empty() && std::ranges::all_of(value, [](unsigned char c) {
        return c >= '0' && c <= '9';
    });
    return "; retry after " + value + (seconds ? (value == "1" ? " second" : " seconds") : "");
}

std::string statusLine(const feed::FeedReader& reader) {
    std::string text = "HTTP " + std::to_string(reader.LastHTTPStatus());
    if (!reader.LastHTTPStatusText().empty()) {
        text += ' ' + reader.LastHTTPStatusText();
    }
    const std::int32_t status = reader.LastHTTPStatus();
    if ((status == kTooManyRequests || status == kUnavailable) &&
        !reader.LastRetryAfter().empty()) {
        text += retryAfterText(reader.LastRetryAfter());
    }
    return text;
}

// Why a read failed: the status line of an answer other than 200, else the reader's error.
FeedStatus describeFailure(const feed::FeedReader& reader) {
    const std::int32_t status = reader.LastHTTPStatus();
    if (status != 0 && status != 200) {
        // The server's answer is the whole story; a parse error of its error page is not.
        const std::string line = statusLine(reader);
        return {line, line, FeedStatus::Kind::ServerAnswer};
    }
    const std::string_view words = feed::failureInFewWords(reader.LastErrorCode());
    const std::string detail =
        reader.LastErrorDesc().empty() ? "Not an RSS, RDF or Atom feed" : reader.LastErrorDesc();
    if (!words.empty()) {
        return {std::string(words), detail};
    }
    return {reader.LastErrorDesc().empty() ? "Not a feed" : "Could not read", detail};
}

}  // namespace

FeedRead::FeedRead() = default;
FeedRead::FeedRead(std::size_t place, std::string text, bool succeeded,
                   std::unique_ptr<feed::FeedReader> used)
    : index(place), address(std::move(text)), ok(succeeded), reader(std::move(used)) {}
FeedRead::~FeedRead() = default;
FeedRead::FeedRead(FeedRead&&) noexcept = default;
FeedRead& FeedRead::operator=(FeedRead&&) noexcept = default;

// What the run and its threads share. A thread stuck in a read may outlive the
// run object, so it holds this, never the run; the handlers go with the run.
struct RetrievalRun::Shared {
    struct Server {
        std::deque<std::size_t> waiting;  // indexes of addresses not yet started
        std::size_t reading = 0;
    };
    using Claim = std::pair<std::size_t, std::size_t>;  // index, server

    Shared(std::vector<std::string> list, RetrievalLimits given, Handlers calls, RunMemory kept,
           std::shared_ptr<const feed::ComponentRegistry> components);

    void work(std::size_t worker);
    std::optional<Claim> claim(std::size_t worker, const std::stop_token& stop);
    void announceStart(std::size_t index);
    void finish(std::size_t worker, std::size_t server, FeedRead read);
    // After a stop: hands over what is unread at once and what is still in
    // flight after the grace.
    void watchStop();
    void handOver(FeedRead read);
    void offerIfFree(std::size_t server);
    std::unique_ptr<feed::FeedReader> newReader() const;

    const std::vector<std::string> addresses;
    const RetrievalLimits limits;
    const RunMemory memory;
    const std::shared_ptr<const feed::ComponentRegistry> registry;
    std::stop_source stopSource;  // one stop for every read of the run

    // Handlers are called under their own lock, never under the run's: a
    // caller may hold a lock of its own that its handlers take, and stop.
    std::mutex handlerMutex;
    Handlers handlers;
    bool closed = false;  // the run is gone: no handler may be called

    std::mutex mutex;
    std::condition_variable_any changed;
    std::vector<Server> servers;
    // Servers that may start another read, by the list index they would start.
    std::set<Claim> free;
    std::size_t waiting = 0;
    // Addresses from this index on wait for the consumer to catch up.
    std::size_t startBefore = std::numeric_limits<std::size_t>::max();
    std::set<std::size_t> reading;  // started, outcome not yet handed over
    std::vector<char> busy;         // per worker: inside a read
};

RetrievalRun::Shared::Shared(std::vector<std::string> list, RetrievalLimits given, Handlers calls,
                             RunMemory kept,
                             std::shared_ptr<const feed::ComponentRegistry> components)
    : addresses(std::move(list)),
      limits{std::max<std::size_t>(given.jobs, 1), std::max<std::size_t>(given.perServer, 1),
             given.readAhead},
      memory(std::move(kept)),
      registry(std::move(components)),
      handlers(std::move(calls)) {
    std::map<std::string, std::size_t> byHost;
    for (std::size_t index = 0; index < addresses.size(); ++index) {
        const auto [found, added] =
            byHost.try_emplace(feed::hostKeyOf(addresses[index]), servers.size());
        if (added) {
            servers.emplace_back();
        }
        servers[found->second].waiting.push_back(index);
    }
    waiting = addresses.size();
    if (limits.readAhead != 0) {
        startBefore = limits.readAhead;
    }
    for (std::size_t server = 0; server < servers.size(); ++server) {
        offerIfFree(server);
    }
}

RetrievalRun::RetrievalRun(std::vector<std::string> addresses, RetrievalLimits limits,
                           Handlers handlers, RunMemory memory,
                           std::shared_ptr<const feed::ComponentRegistry> registry)
    : m_shared(std::make_shared<Shared>(std::move(addresses), limits, std::move(handlers),
                                        std::move(memory), std::move(registry))) {
    // libcurl's set-up is not safe to run on several threads at once.
    feed::initialiseHttp();
    const std::size_t threads = std::min(m_shared->limits.jobs, m_shared->addresses.size());
    m_shared->busy.assign(threads, false);
    for (std::size_t worker = 0; worker < threads; ++worker) {
        m_workers.emplace_back([shared = m_shared, worker] { shared->work(worker); });
    }
}

RetrievalRun::~RetrievalRun() {
    stop();
    if (m_stopWatch.joinable()) {
        m_stopWatch.join();  // within the grace
    }
    Handlers gone;  // released here, on the owner's thread
    {
        std::lock_guard calling(m_shared->handlerMutex);
        m_shared->closed = true;
        gone = std::move(m_shared->handlers);
    }
    std::vector<char> busy;
    {
        std::lock_guard lock(m_shared->mutex);
        busy = m_shared->busy;
    }
    for (std::size_t worker = 0; worker < m_workers.size(); ++worker) {
        if (busy[worker]) {
            m_workers[worker].detach();  // its read was handed over as stopped
        } else {
            m_workers[worker].join();
        }
    }
}

void RetrievalRun::stop() {
    m_shared->stopSource.request_stop();
    std::lock_guard lock(m_shared->mutex);
    if (m_stopWatch.joinable() || (m_shared->reading.empty() && m_shared->waiting == 0)) {
        return;
    }
    m_stopWatch = std::jthread([shared = m_shared] { shared->watchStop(); });
}

void RetrievalRun::handedOverBefore(std::size_t index) {
    if (m_shared->limits.readAhead == 0) {
        return;
    }
    std::lock_guard lock(m_shared->mutex);
    const bool heldBack =
        !m_shared->free.empty() && m_shared->free.begin()->first >= m_shared->startBefore;
    m_shared->startBefore = index + m_shared->limits.readAhead;
    if (heldBack) {
        m_shared->changed.notify_all();
    }
}

void RetrievalRun::Shared::work(std::size_t worker) {
    const std::stop_token stop = stopSource.get_token();
    while (const auto next = claim(worker, stop)) {
        const auto [index, server] = *next;
        announceStart(index);
        FeedRead read{index, addresses[index], false, newReader()};
        read.reader->setStopToken(stop);
        read.heldUntil = recall(memory, read.address, *read.reader);
        std::int32_t type = feed::kUnknownFeed;
        read.ok = read.reader->ReadFeed(read.address, {}, {}, type, false);
        remember(memory, read.address, read.ok, *read.reader);
        finish(worker, server, std::move(read));
    }
}

std::optional<RetrievalRun::Shared::Claim> RetrievalRun::Shared::claim(
    std::size_t worker, const std::stop_token& stop) {
    std::unique_lock lock(mutex);
    const auto startable = [this] { return !free.empty() && free.begin()->first < startBefore; };
    // Wakes for a free server, for the end of the run (the last read in flight
    // ends), or for a stop.
    changed.wait(lock, stop, [&] { return startable() || waiting == 0; });
    if (stop.stop_requested() || !startable()) {
        return std::nullopt;
    }
    const auto [index, server] = *free.begin();
    free.erase(free.begin());
    servers[server].waiting.pop_front();
    ++servers[server].reading;
    --waiting;
    offerIfFree(server);
    reading.insert(index);
    busy[worker] = true;
    return Claim{index, server};
}

void RetrievalRun::Shared::announceStart(std::size_t index) {
    std::lock_guard calling(handlerMutex);
    if (closed || !handlers.started) {
        return;
    }
    // Not after the stop watch handed the read over as stopped.
    std::unique_lock lock(mutex);
    const bool handedOver = !reading.contains(index);
    lock.unlock();
    if (!handedOver) {
        handlers.started(index);
    }
}

void RetrievalRun::Shared::finish(std::size_t worker, std::size_t server, FeedRead read) {
    bool handedOver = false;
    {
        std::lock_guard lock(mutex);
        busy[worker] = false;
        // A server at its limit was not on offer; now it is again.
        if (servers[server].reading-- == limits.perServer) {
            offerIfFree(server);
            changed.notify_one();
        }
        // A read the stop watch gave up on was handed over already.
        handedOver = reading.erase(read.index) == 0;
        if (reading.empty()) {
            changed.notify_all();  // the stop watch waits for this
        }
    }
    if (!handedOver) {
        handOver(std::move(read));
    }
}

void RetrievalRun::Shared::watchStop() {
    std::unique_lock lock(mutex);
    std::vector<std::size_t> unread;
    for (Server& server : servers) {
        unread.insert(unread.end(), server.waiting.begin(), server.waiting.end());
        server.waiting.clear();
    }
    free.clear();
    waiting = 0;
    lock.unlock();
    std::ranges::sort(unread);
    for (const std::size_t index : unread) {
        handOver({index, addresses[index], false, nullptr});
    }
    lock.lock();
    changed.wait_for(lock, kStopGrace, [this] { return reading.empty(); });
    // From here on these reads are the stop watch's to hand over.
    const std::vector<std::size_t> stuck(reading.begin(), reading.end());
    reading.clear();
    lock.unlock();
    for (const std::size_t index : stuck) {
        // A reader stopped before it began tells the outcome in its own words.
        FeedRead read{index, addresses[index], false, newReader()};
        read.reader->setStopToken(stopSource.get_token());
        read.reader->ReadFeed(read.address);
        handOver(std::move(read));
    }
}

void RetrievalRun::Shared::handOver(FeedRead read) {
    std::lock_guard calling(handlerMutex);
    if (!closed) {
        handlers.finished(std::move(read));
    }
}

void RetrievalRun::Shared::offerIfFree(std::size_t server) {
    const Server& entry = servers[server];
    if (!entry.waiting.empty() && entry.reading < limits.perServer) {
        free.emplace(entry.waiting.front(), server);
    }
}

std::unique_ptr<feed::FeedReader> RetrievalRun::Shared::newReader() const {
    return registry ? std::make_unique<feed::FeedReader>(registry)
                    : std::make_unique<feed::FeedReader>();
}

void readInOrder(std::vector<std::string> addresses, RetrievalLimits limits,
                 const std::function<void(FeedRead&)>& consume, RunMemory memory) {
    std::mutex mutex;
    std::condition_variable arrived;
    std::map<std::size_t, FeedRead> done;  // read, not yet consumed
    const std::size_t count = addresses.size();
    if (limits.readAhead == 0) {
        limits.readAhead = kReadAheadPerJob * std::max<std::size_t>(limits.jobs, 1);
    }
    RetrievalRun run(std::move(addresses), limits,
                     {.started = {},
                      .finished =
                          [&](FeedRead read) {
                              std::lock_guard lock(mutex);
                              const std::size_t index = read.index;
                              done.emplace(index, std::move(read));
                              arrived.notify_one();
                          }},
                     std::move(memory));
    for (std::size_t next = 0; next < count; ++next) {
        std::unique_lock lock(mutex);
        arrived.wait(lock, [&] { return done.contains(next); });
        auto node = done.extract(next);
        lock.unlock();
        run.handedOverBefore(next + 1);
        consume(node.mapped());
    }
}

std::vector<RetrievedRow> rowsOf(const FeedRead& read) {
    std::vector<RetrievedRow> rows;
    if (!read.reader) {
        return rows;
    }
    const auto items = read.reader->FeedItems();
    rows.reserve(items->size());
    for (const auto& item : *items) {
        rows.push_back(
            {read.address, item.Title(), item.Description(), item.URL(), item.Date(), item.Id()});
    }
    return rows;
}

FeedStatus describeRead(const FeedRead& read) {
    if (!read.reader) {
        return {"Not read", "The run was stopped before this address was read.",
                FeedStatus::Kind::NotRead};
    }
    const feed::FeedReader& reader = *read.reader;
    if (read.ok) {
        const std::size_t count = reader.FeedItems()->size();
        FeedStatus status{std::to_string(count) + (count == 1 ? " item" : " items"),
                          {},
                          FeedStatus::Kind::Items,
                          count};
        if (read.heldUntil) {
            status.waitUntil = localClock(*read.heldUntil);
            status.summary += ", kept copy: the server " + askedToWait(*read.heldUntil);
            status.detail = status.summary;
            return status;
        }
        // A web page's address is read through the feed the page names, in full.
        if (!reader.FoundAt().empty()) {
            status.foundAt = reader.FoundAt();
            status.summary += ", from the feed found at " + status.foundAt;
        } else if (reader.memory().fromKeptBody) {
            status.notChanged = true;
            status.summary += ", not changed";
        }
        if (std::string moved = movedTo(read); !moved.empty()) {
            status.detail = "Moved permanently to " + moved + "; " + status.summary;
            status.summary = "Moved to " + moved;
            status.movedTo = std::move(moved);
        }
        return status;
    }
    if (read.heldUntil) {
        FeedStatus status{reader.LastErrorDesc(), reader.LastErrorDesc()};
        status.waitUntil = localClock(*read.heldUntil);
        return status;
    }
    FeedStatus status = describeFailure(reader);
    if (!reader.FoundAt().empty()) {
        status.foundAt = reader.FoundAt();
        status.detail = "Reading the feed found at " + status.foundAt + ": " + status.detail;
    }
    return status;
}

std::string movedTo(const FeedRead& read) {
    return read.ok ? read.reader->memory().movedTo : std::string();
}

}  // namespace lumeward::workflows
