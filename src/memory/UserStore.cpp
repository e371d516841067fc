#include "memory/UserStore.h"

#include <array>

#include "memory/Sqlite.h"

namespace lumeward::memory {

namespace {

constexpr std::array<const char*, 2> kUpgrades = {
    "CREATE TABLE saved_item ("
    "  folder TEXT NOT NULL,"
    "  item_key TEXT NOT NULL,"
    "  file_name TEXT NOT NULL,"
    "  saved_at INTEGER NOT NULL,"
    "  PRIMARY KEY (folder, item_key)) WITHOUT ROWID;"
    "CREATE TABLE kept_address ("
    "  position INTEGER PRIMARY KEY,"
    "  address TEXT NOT NULL,"
    "  status TEXT NOT NULL,"
    "  detail TEXT NOT NULL);",
    // The address a read suggests instead: reason 0 for none, else SuggestedAddress::Reason.
    "ALTER TABLE kept_address ADD COLUMN suggested_reason INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE kept_address ADD COLUMN suggested TEXT NOT NULL DEFAULT '';"};

constexpr StoreKind kUser = {
    "The record of saved items and the address list",
    "Items saved before may be saved again, and the address list is not kept this time.",
    kUpgrades};

std::string folderKey(const std::filesystem::path& folder) {
    std::string key = std::filesystem::absolute(folder).lexically_normal().string();
    if (key.size() > 1 && key.back() == '/') {
        key.pop_back();
    }
    return key;
}

std::int64_t reasonOf(const std::optional<SuggestedAddress>& suggested) {
    return suggested ? static_cast<std::int64_t>(suggested->reason) : 0;
}

std::string_view addressOf(const std::optional<SuggestedAddress>& suggested) {
    return suggested ? std::string_view(suggested->address) : std::string_view();
}

// The kept address at position as parameters 1 to 6: position, address,
// status, detail, suggested reason, suggested address.
Query& bindKept(Query&& query, std::size_t position, const KeptAddress& kept) {
    return query.bind(1, static_cast<std::int64_t>(position))
        .bind(2, kept.address)
        .bind(3, kept.status)
        .bind(4, kept.detail)
        .bind(5, reasonOf(kept.suggested))
        .bind(6, addressOf(kept.suggested));
}

// A reason this program does not know (written by a newer one) suggests nothing.
std::optional<SuggestedAddress> suggestedOf(std::int64_t reason, std::string_view address) {
    using Reason = SuggestedAddress::Reason;
    for (const Reason known : {Reason::Moved, Reason::Found}) {
        if (reason == static_cast<std::int64_t>(known)) {
            return SuggestedAddress{known, std::string(address)};
        }
    }
    return std::nullopt;
}

}  // namespace

UserStore::UserStore(std::filesystem::path file, StoreOptions options)
    : m_file(std::move(file), kUser, std::move(options)) {}

void UserStore::recordSaved(const std::filesystem::path& folder, std::span<const SavedFile> files) {
    const auto now = m_file.now().time_since_epoch().count();
    m_file.use([&](Connection& db) {
        const std::string where = folderKey(folder);
        Transaction transaction(db);
        for (const auto& file : files) {
            db.query(
                  "INSERT OR REPLACE INTO saved_item (folder, item_key, file_name, saved_at) "
                  "VALUES (?1, ?2, ?3, ?4)")
                .bind(1, where)
                .bind(2, file.key)
                .bind(3, file.fileName)
                .bind(4, now)
                .step();
        }
        transaction.commit();
    });
}

void UserStore::recordSaved(const std::filesystem::path& folder, std::string_view key,
                            std::string_view fileName) {
    const std::array file = {SavedFile{std::string(key), std::string(fileName)}};
    recordSaved(folder, file);
}

std::vector<std::optional<SavedMark>> UserStore::savedInto(const std::filesystem::path& folder,
                                                           std::span<const std::string> keys) {
    std::vector<std::optional<SavedMark>> marks(keys.size());
    const bool read = m_file.use([&](Connection& db) {
        const std::string where = folderKey(folder);
        // One read for all the keys: one view of the file, and far fewer lock round trips.
        db.execute("BEGIN");
        for (std::size_t index = 0; index < keys.size(); ++index) {
            auto row = db.query(
                "SELECT file_name, saved_at FROM saved_item WHERE folder = ?1 AND item_key = ?2");
            if (row.bind(1, where).bind(2, keys[index]).step()) {
                marks[index] = SavedMark{std::string(row.text(0)),
                                         TimePoint(std::chrono::seconds(row.integer(1)))};
            }
        }
        db.execute("COMMIT");
    });
    // A read that failed half-way finds nothing, as a store out of use does.
    return read ? marks : std::vector<std::optional<SavedMark>>(keys.size());
}

void UserStore::keepAddresses(std::span<const KeptAddress> list) {
    m_file.use([&](Connection& db) {
        Transaction transaction(db);
        db.query("DELETE FROM kept_address").step();
        for (std::size_t position = 0; position < list.size(); ++position) {
            const KeptAddress& kept = list[position];
            bindKept(db.query("INSERT INTO kept_address "
                              "(position, address, status, detail, suggested_reason, suggested) "
                              "VALUES (?1, ?2, ?3, ?4, ?5, ?6)"),
                     position, kept)
                .step();
        }
        transaction.commit();
    });
}

void UserStore::keepStatus(std::size_t position, const KeptAddress& kept) {
    m_file.use([&](Connection& db) {
        bindKept(
            db.query("UPDATE kept_address SET status = ?3, detail = ?4, suggested_reason = ?5, "
                     "suggested = ?6 WHERE position = ?1 AND address = ?2"),
            position, kept)
            .step();
    });
}

std::vector<KeptAddress> UserStore::keptAddresses() {
    std::vector<KeptAddress> list;
    const bool read = m_file.use([&](Connection& db) {
        auto row = db.query(
            "SELECT address, status, detail, suggested_reason, suggested FROM kept_address "
            "ORDER BY position");
        while (row.step()) {
            list.push_back({std::string(row.text(0)), std::string(row.text(1)),
                            std::string(row.text(2)), suggestedOf(row.integer(3), row.text(4))});
        }
    });
    return read ? list : std::vector<KeptAddress>();
}

}  // namespace lumeward::memory
