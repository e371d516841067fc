#pragma once

#include <sys/types.h>

#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "memory/StoreOptions.h"

namespace lumeward::memory {

class Connection;

// What a store file holds, for its warning, and how its schema is built.
struct StoreKind {
    std::string_view what;         // "Kept copies of feeds"
    std::string_view consequence;  // what the user goes without when the file cannot be used
    // SQL that takes the schema from version i (PRAGMA user_version) to i + 1;
    // the last one's result is the version this program writes.
    std::span<const char* const> upgrades;
};

// One SQLite file of the memory, shared by the threads of a process and by other
// processes: its missing folders are made with mode 0700 and the file with 0600,
// it runs in WAL mode, and its schema is brought up to date in place.
//
// When it cannot be opened or a use fails (unreadable, a folder in its place,
// disk full, locked beyond the busy time-out, made by a newer program), it keeps
// nothing from then on and leaves one warning naming the file and the reason. A
// damaged file is moved aside as NAME.corrupt-DATE, never deleted; found at opening,
// a new file takes its place.
class StoreFile {
public:
    StoreFile(std::filesystem::path path, StoreKind kind, StoreOptions options);
    ~StoreFile();
    StoreFile(const StoreFile&) = delete;
    StoreFile& operator=(const StoreFile&) = delete;

    // Runs work with the connection, one caller at a time. False when the file
    // is not in use, or when work throws, which ends its use.
    bool use(const std::function<void(Connection&)>& work);
    // The warnings not yet taken, one a line; none when all went well.
    std::optional<std::string> takeWarning();
    TimePoint now() const { return m_options.clock(); }

private:
    void open();
    void connect();
    void upgradeSchema();
    // Ends the use of the file after a failure and leaves the warning, which ends
    // with afterMoving when the file was damaged and is moved aside (then true).
    bool fail(const std::exception& failure, std::string_view afterMoving);
    std::string moveAside();

    std::filesystem::path m_path;
    StoreKind m_kind;
    StoreOptions m_options;
    std::mutex m_mutex;
    std::unique_ptr<Connection> m_connection;  // none once the file is out of use
    // Which file was opened, so that a file put in its place is never moved aside.
    dev_t m_device = 0;
    ino_t m_inode = 0;
    std::optional<std::string> m_warning;
};

}  // namespace lumeward::memory
