#include "memory/UserStore.h"

#include <array>

#include "memory/Sqlite.h"

namespace lumeward::memory {

namespace {

constexpr std::array<const char*, 1> kUpgrades = {
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
    "  detail TEXT NOT NULL);"};

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
            db.query(
                  "INSERT INTO kept_address (position, address, status, detail) "
                  "VALUES (?1, ?2, ?3, ?4)")
                .bind(1, static_cast<std::int64_t>(position))
                .bind(2, list[position].address)
                .bind(3, list[position].status)
                .bind(4, list[position].detail)
                .step();
        }
        transaction.commit();
    });
}

void UserStore::keepStatus(std::size_t position, std::string_view address, std::string_view status,
                           std::string_view detail) {
    m_file.use([&](Connection& db) {
        db.query(
              "UPDATE kept_address SET status = ?3, detail = ?4 "
              "WHERE position = ?1 AND address = ?2")
            .bind(1, static_cast<std::int64_t>(position))
            .bind(2, address)
            .bind(3, status)
            .bind(4, detail)
            .step();
    });
}

std::vector<KeptAddress> UserStore::keptAddresses() {
    std::vector<KeptAddress> list;
    const bool read = m_file.use([&](Connection& db) {
        auto row = db.query("SELECT address, status, detail FROM kept_address ORDER BY position");
        while (row.step()) {
            list.push_back(
                {std::string(row.text(0)), std::string(row.text(1)), std::string(row.text(2))});
        }
    });
    return read ? list : std::vector<KeptAddress>();
}

}  // namespace lumeward::memory
