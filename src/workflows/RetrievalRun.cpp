#include "workflows/RetrievalRun.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "feed/CurlHttpRequest.h"
#include "feed/FeedReader.h"
#include "feed/ReadFailures.h"

namespace lumeward::workflows {

namespace {

constexpr std::int32_t kTooManyRequests = 429;

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
    if (reader.LastHTTPStatus() == kTooManyRequests && !reader.LastRetryAfter().empty()) {
        text += retryAfterText(reader.LastRetryAfter());
    }
    return text;
}

}  // namespace

FeedRead::FeedRead() = default;
FeedRead::FeedRead(std::size_t place, std::string text, bool succeeded,
                   std::unique_ptr<feed::FeedReader> used)
    : index(place), address(std::move(text)), ok(succeeded), reader(std::move(used)) {}
FeedRead::~FeedRead() = default;
FeedRead::FeedRead(FeedRead&&) noexcept = default;
FeedRead& FeedRead::operator=(FeedRead&&) noexcept = default;

RetrievalRun::RetrievalRun(std::vector<std::string> addresses, RetrievalLimits limits,
                           Handlers handlers,
                           std::shared_ptr<const feed::ComponentRegistry> registry)
    : m_addresses(std::move(addresses)),
      m_limits{std::max<std::size_t>(limits.jobs, 1), std::max<std::size_t>(limits.perServer, 1)},
      m_handlers(std::move(handlers)),
      m_registry(std::move(registry)) {
    std::map<std::string, std::size_t> servers;
    for (std::size_t index = 0; index < m_addresses.size(); ++index) {
        const auto [found, added] =
            servers.try_emplace(feed::serverOf(m_addresses[index]), m_servers.size());
        if (added) {
            m_servers.emplace_back();
        }
        m_serverOf.push_back(found->second);
        m_servers[found->second].waiting.push_back(index);
    }
    m_waiting = m_addresses.size();
    // libcurl's set-up is not safe to run on several threads at once.
    feed::initialiseHttp();
    for (std::size_t server = 0; server < m_servers.size(); ++server) {
        offerIfFree(server);
    }
    const std::size_t threads = std::min(m_limits.jobs, m_addresses.size());
    for (std::size_t i = 0; i < threads; ++i) {
        m_threads.emplace_back([this](std::stop_token stop) { work(std::move(stop)); });
    }
}

RetrievalRun::~RetrievalRun() {
    stop();
    m_threads.clear();  // joins
}

void RetrievalRun::stop() {
    for (auto& thread : m_threads) {
        thread.request_stop();
    }
}

void RetrievalRun::work(std::stop_token stop) {
    while (const auto next = claim(stop)) {
        const auto [index, server] = *next;
        if (m_handlers.started) {
            m_handlers.started(index);
        }
        FeedRead read{index, m_addresses[index], false,
                      m_registry ? std::make_unique<feed::FeedReader>(m_registry)
                                 : std::make_unique<feed::FeedReader>()};
        read.reader->setStopToken(stop);
        std::int32_t type = feed::kUnknownFeed;
        read.ok = read.reader->ReadFeed(read.address, {}, {}, type, false);
        release(server);
        m_handlers.finished(std::move(read));
    }
    if (stop.stop_requested()) {
        handOverUnread();
    }
}

std::optional<std::pair<std::size_t, std::size_t>> RetrievalRun::claim(std::stop_token& stop) {
    std::unique_lock lock(m_mutex);
    // Wakes for a free server, for the end of the list, or for a stop.
    m_changed.wait(lock, stop, [this] { return !m_free.empty() || m_waiting == 0; });
    if (stop.stop_requested() || m_free.empty()) {
        return std::nullopt;
    }
    const auto [index, server] = *m_free.begin();
    m_free.erase(m_free.begin());
    m_servers[server].waiting.pop_front();
    ++m_servers[server].reading;
    --m_waiting;
    offerIfFree(server);
    if (m_waiting == 0) {
        m_changed.notify_all();  // threads with nothing left to claim may end
    }
    return std::pair{index, server};
}

void RetrievalRun::release(std::size_t server) {
    std::lock_guard lock(m_mutex);
    Server& entry = m_servers[server];
    // A server at its limit was not on offer; now it is again.
    if (entry.reading-- == m_limits.perServer) {
        offerIfFree(server);
        m_changed.notify_one();
    }
}

void RetrievalRun::offerIfFree(std::size_t server) {
    const Server& entry = m_servers[server];
    if (!entry.waiting.empty() && entry.reading < m_limits.perServer) {
        m_free.emplace(entry.waiting.front(), server);
    }
}

void RetrievalRun::handOverUnread() {
    std::vector<std::size_t> unread;
    {
        std::lock_guard lock(m_mutex);
        for (Server& server : m_servers) {
            unread.insert(unread.end(), server.waiting.begin(), server.waiting.end());
            server.waiting.clear();
        }
        m_free.clear();
        m_waiting = 0;
    }
    std::ranges::sort(unread);
    for (const std::size_t index : unread) {
        m_handlers.finished({index, m_addresses[index], false, nullptr});
    }
}

void readInOrder(std::vector<std::string> addresses, RetrievalLimits limits,
                 const std::function<void(FeedRead&)>& consume) {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::optional<FeedRead>> reads(addresses.size());
    const std::size_t count = addresses.size();
    RetrievalRun run(std::move(addresses), limits, {.started = {}, .finished = [&](FeedRead read) {
                                                        std::lock_guard lock(mutex);
                                                        reads[read.index] = std::move(read);
                                                        arrived.notify_one();
                                                    }});
    for (std::size_t next = 0; next < count; ++next) {
        std::unique_lock lock(mutex);
        arrived.wait(lock, [&] { return reads[next].has_value(); });
        FeedRead read = std::move(*reads[next]);
        reads[next].reset();
        lock.unlock();
        consume(read);
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
        rows.push_back({read.address, item.Title(), item.Description(), item.URL(), item.Date()});
    }
    return rows;
}

FeedStatus describeRead(const FeedRead& read) {
    if (!read.reader) {
        return {"Not read", "The run was stopped before this address was read."};
    }
    const feed::FeedReader& reader = *read.reader;
    if (read.ok) {
        const std::size_t count = reader.FeedItems()->size();
        return {std::to_string(count) + (count == 1 ? " item" : " items"), {}};
    }
    const std::int32_t status = reader.LastHTTPStatus();
    if (status != 0 && status != 200) {
        // The server's answer is the whole story; a parse error of its error page is not.
        const std::string line = statusLine(reader);
        return {line, line};
    }
    const std::string_view words = feed::failureInFewWords(reader.LastErrorCode());
    const std::string detail =
        reader.LastErrorDesc().empty() ? "Not an RSS, RDF or Atom feed" : reader.LastErrorDesc();
    if (!words.empty()) {
        return {std::string(words), detail};
    }
    return {reader.LastErrorDesc().empty() ? "Not a feed" : "Could not read", detail};
}

}  // namespace lumeward::workflows
