#include "workflows/RunMemory.h"

#include <ctime>

#include "feed/FeedReader.h"
#include "feed/ReadFailures.h"
#include "memory/ResponseCache.h"

namespace lumeward::workflows {

namespace {

constexpr std::int32_t kTooManyRequests = 429;
constexpr std::int32_t kUnavailable = 503;

}  // namespace

std::optional<memory::TimePoint> recall(const RunMemory& memory, const std::string& address,
                                        feed::FeedReader& reader) {
    if (!memory.cache) {
        return std::nullopt;
    }
    feed::ReadMemory& given = reader.memory();
    given.keepsAnswers = true;
    const auto heldUntil = memory.cache->heldUntil(feed::hostKeyOf(address));
    // A server that asked to wait is not asked, so its kept copy is all there is.
    if (heldUntil || !memory.readInFull) {
        if (auto kept = memory.cache->kept(address)) {
            given.kept = feed::KeptAnswer{std::move(kept->validators), std::move(kept->contentType),
                                          std::move(kept->body)};
        }
    }
    if (heldUntil) {
        given.notAskedBecause = "The server " + askedToWait(*heldUntil);
    }
    return heldUntil;
}

void remember(const RunMemory& memory, const std::string& address, bool ok,
              feed::FeedReader& reader) {
    feed::ReadMemory& left = reader.memory();
    if (memory.cache && left.notAskedBecause.empty()) {
        if (ok && left.fromKeptBody) {
            memory.cache->refresh(address, left.answer.validators);
        } else if (ok) {
            memory.cache->keep(address, left.answer.validators, left.answer.contentType,
                               left.answer.body);
        }
        const std::int32_t status = reader.LastHTTPStatus();
        if ((status == kTooManyRequests || status == kUnavailable) &&
            !reader.LastRetryAfter().empty()) {
            memory.cache->holdAsAsked(feed::hostKeyOf(address), reader.LastRetryAfter());
        }
    }
    // The read is handed over with its items; its bodies are of no more use.
    left.kept.reset();
    left.answer.body = std::string();
}

std::string localClock(memory::TimePoint when) {
    const std::time_t seconds = when.time_since_epoch().count();
    std::tm local{};
    char text[8] = "?";
    if (::localtime_r(&seconds, &local) != nullptr) {
        std::strftime(text, sizeof text, "%H:%M", &local);
    }
    return text;
}

std::string askedToWait(memory::TimePoint until) {
    return "asked to wait until " + localClock(until);
}

}  // namespace lumeward::workflows
