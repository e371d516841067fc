#include "memory/ResponseCache.h"

#include <algorithm>
#include <array>

#include "memory/RetryAfter.h"
#include "memory/Sqlite.h"

namespace lumeward::memory {

namespace {

// The body comes last, so that reading the other columns never reads its pages.
constexpr std::array<const char*, 1> kUpgrades = {
    "CREATE TABLE kept_response ("
    "  address TEXT PRIMARY KEY NOT NULL,"
    "  read_at INTEGER NOT NULL,"
    "  etag TEXT NOT NULL,"
    "  last_modified TEXT NOT NULL,"
    "  content_type TEXT NOT NULL,"
    "  body BLOB NOT NULL);"
    "CREATE INDEX kept_response_by_read_at ON kept_response (read_at);"
    "CREATE TABLE host_hold ("
    "  host TEXT PRIMARY KEY NOT NULL,"
    "  until INTEGER NOT NULL) WITHOUT ROWID;"};

constexpr StoreKind kCache = {"Kept copies of feeds", "Feeds are read in full this time.",
                              kUpgrades};

std::int64_t secondsOf(TimePoint instant) {
    return instant.time_since_epoch().count();
}

TimePoint instantOf(std::int64_t seconds) {
    return TimePoint(std::chrono::seconds(seconds));
}

}  // namespace

ResponseCache::ResponseCache(std::filesystem::path file, StoreOptions options)
    : m_file(std::move(file), kCache, std::move(options)) {
    const auto now = secondsOf(m_file.now());
    m_file.use([now](Connection& db) {
        Transaction transaction(db);
        db.query("DELETE FROM kept_response WHERE read_at < ?1")
            .bind(1, now - std::chrono::seconds(kKeptUnread).count())
            .step();
        db.query("DELETE FROM host_hold WHERE until <= ?1").bind(1, now).step();
        transaction.commit();
    });
}

std::optional<KeptResponse> ResponseCache::kept(std::string_view address) {
    std::optional<KeptResponse> found;
    m_file.use([&](Connection& db) {
        auto row = db.query(
            "SELECT read_at, etag, last_modified, content_type, body FROM kept_response "
            "WHERE address = ?1");
        if (row.bind(1, address).step()) {
            found = KeptResponse{{std::string(row.text(1)), std::string(row.text(2))},
                                 std::string(row.text(3)),
                                 std::string(row.text(4)),
                                 instantOf(row.integer(0))};
        }
    });
    return found;
}

void ResponseCache::keep(std::string_view address, const Validators& validators,
                         std::string_view contentType, std::string_view body) {
    const auto now = secondsOf(m_file.now());
    m_file.use([&](Connection& db) {
        if (validators.empty() || body.size() > kLargestKeptBody) {
            db.query("DELETE FROM kept_response WHERE address = ?1").bind(1, address).step();
            return;
        }
        db.query(
              "INSERT OR REPLACE INTO kept_response "
              "(address, read_at, etag, last_modified, content_type, body) "
              "VALUES (?1, ?2, ?3, ?4, ?5, ?6)")
            .bind(1, address)
            .bind(2, now)
            .bind(3, validators.etag)
            .bind(4, validators.lastModified)
            .bind(5, contentType)
            .bindBlob(6, body)
            .step();
    });
}

void ResponseCache::refresh(std::string_view address, const Validators& answered) {
    const auto now = secondsOf(m_file.now());
    m_file.use([&](Connection& db) {
        db.query(
              "UPDATE kept_response SET read_at = ?2,"
              "  etag = CASE WHEN ?3 = '' THEN etag ELSE ?3 END,"
              "  last_modified = CASE WHEN ?4 = '' THEN last_modified ELSE ?4 END "
              "WHERE address = ?1")
            .bind(1, address)
            .bind(2, now)
            .bind(3, answered.etag)
            .bind(4, answered.lastModified)
            .step();
    });
}

void ResponseCache::hold(std::string_view host, TimePoint until) {
    const auto latest = m_file.now() + kLongestWait;
    m_file.use([&](Connection& db) {
        db.query("INSERT OR REPLACE INTO host_hold (host, until) VALUES (?1, ?2)")
            .bind(1, host)
            .bind(2, secondsOf(std::min(until, latest)))
            .step();
    });
}

std::optional<TimePoint> ResponseCache::holdAsAsked(std::string_view host,
                                                    std::string_view retryAfter) {
    const auto until = retryAfterInstant(retryAfter, m_file.now());
    if (until) {
        hold(host, *until);
    }
    return until;
}

std::optional<TimePoint> ResponseCache::heldUntil(std::string_view host) {
    std::optional<TimePoint> until;
    const auto now = secondsOf(m_file.now());
    m_file.use([&](Connection& db) {
        auto row = db.query("SELECT until FROM host_hold WHERE host = ?1 AND until > ?2");
        if (row.bind(1, host).bind(2, now).step()) {
            until = instantOf(row.integer(0));
        }
    });
    return until;
}

}  // namespace lumeward::memory
