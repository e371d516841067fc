#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "feed/ReadMemory.h"
#include "memory/Clock.h"
#include "memory/StoreFile.h"
#include "memory/StoreOptions.h"

namespace lumeward::memory {

// Validators are kept exactly as the server sent them.
using Validators = feed::Validators;

// The response kept for an address: its validators go out as If-None-Match and
// If-Modified-Since, and on a 304 its body is read as if it had just come in.
struct KeptResponse {
    Validators validators;  // never both empty
    std::string contentType;
    std::string body;
    TimePoint readAt;  // when the address was last read
};

// Bodies larger than a read may be are not kept.
inline constexpr std::size_t kLargestKeptBody = 64u << 20;
// An address not read for this long loses its kept response.
inline constexpr std::chrono::days kKeptUnread{90};

// The cache that spares unchanged feeds a full read: one kept response per
// address (as listed), and the servers that asked to be left alone until some
// instant (Retry-After on a 429 or 503), by the caller's host key. Losing it
// costs one full read per feed. Lives in $XDG_CACHE_HOME/lumeward/cache.sqlite
// (defaultCacheFile()).
//
// Retry-After values are read here (holdAsAsked), not in the engine. Thread-safe;
// other processes may use the same file at once. Responses not read for
// kKeptUnread and holds that have passed are dropped when it opens.
// When the file cannot be used it keeps nothing, finds nothing, and
// takeWarning() says why, once.
class ResponseCache {
public:
    explicit ResponseCache(std::filesystem::path file, StoreOptions options = {});

    // The response kept for address; none when there is none, which is the
    // only case in which no validators may be sent.
    std::optional<KeptResponse> kept(std::string_view address);
    // After a full answer: keeps it as the address's response, read now. An
    // answer without validators, or with a body over kLargestKeptBody, is not
    // kept, and the address's earlier response is forgotten with it.
    void keep(std::string_view address, const Validators& validators, std::string_view contentType,
              std::string_view body);
    // After a 304: the kept response was read now, and the validators the answer
    // carried replace the kept ones (each only when the answer had it).
    void refresh(std::string_view address, const Validators& answered);

    // The host is not to be asked before until, which counts as at most
    // kLongestWait from now. A later hold replaces an earlier one.
    void hold(std::string_view host, TimePoint until);
    // Holds the host as its "Retry-After: value" asks (see retryAfterInstant) and
    // returns until when; none, and no hold, when the value asks for no wait.
    std::optional<TimePoint> holdAsAsked(std::string_view host, std::string_view retryAfter);
    // Until when the host is not to be asked; none when it may be asked now.
    std::optional<TimePoint> heldUntil(std::string_view host);

    std::optional<std::string> takeWarning() { return m_file.takeWarning(); }

private:
    StoreFile m_file;
};

}  // namespace lumeward::memory
