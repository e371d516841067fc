#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "memory/Clock.h"
#include "memory/StoreFile.h"
#include "memory/StoreOptions.h"

namespace lumeward::memory {

// A file written for an item (see itemKey).
struct SavedFile {
    std::string key;
    std::string fileName;
};

// What is recorded of an item saved into a folder.
struct SavedMark {
    std::string fileName;
    TimePoint savedAt;
};

// Another address for a listed feed, as its last read found it: where the feed
// moved (a permanent redirect), or the feed named by the page the address gave.
// Offered to the user, never put in place by itself.
struct SuggestedAddress {
    enum class Reason { Moved = 1, Found = 2 };
    Reason reason;
    std::string address;

    bool operator==(const SuggestedAddress&) const = default;
};

// An address of the kept list, with its Status after its last read.
struct KeptAddress {
    std::string address;
    std::string status;  // "20 items", "HTTP 404 Not Found", ...; empty before any read
    std::string detail;  // the Status's tooltip
    std::optional<SuggestedAddress> suggested = std::nullopt;
};

// What is the user's: which items were saved into which folder, and the
// address list. Losing it costs duplicates. Lives in
// $XDG_DATA_HOME/lumeward/memory.sqlite (defaultUserFile()).
//
// Folders are recorded as absolute paths without "." or ".." parts or a final
// "/", so any spelling of a folder finds its records. Thread-safe; other
// processes may use the same file at once, and two recording into one folder
// lose nothing. When the file cannot be used it keeps nothing, finds nothing,
// and takeWarning() says why, once.
class UserStore {
public:
    explicit UserStore(std::filesystem::path file, StoreOptions options = {});

    // Records the files as saved into folder now. Call after each file is written
    // and closed: from then on its item counts as saved there, even when the file
    // is deleted. A later record of an item in a folder replaces the earlier one.
    // Each call is one commit, which costs tens of microseconds, so an export of
    // many files may record them a batch at a time: a crash then costs at most
    // the unrecorded batch's items, saved again next time.
    void recordSaved(const std::filesystem::path& folder, std::span<const SavedFile> files);
    void recordSaved(const std::filesystem::path& folder, std::string_view key,
                     std::string_view fileName);
    // For each of keys, in its order, what is recorded of it in folder; none
    // for an item never saved there.
    std::vector<std::optional<SavedMark>> savedInto(const std::filesystem::path& folder,
                                                    std::span<const std::string> keys);

    // Replaces the kept list with list, in its order, all at once or not at all.
    void keepAddresses(std::span<const KeptAddress> list);
    // Keeps the Status (status, detail and suggested) of kept.address at position
    // (from 0); nothing when the kept list holds another address there, as after
    // a change to the list.
    void keepStatus(std::size_t position, const KeptAddress& kept);
    // The kept list, in its order.
    std::vector<KeptAddress> keptAddresses();

    std::optional<std::string> takeWarning() { return m_file.takeWarning(); }

private:
    StoreFile m_file;
};

}  // namespace lumeward::memory
