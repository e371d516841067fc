#include "memory/StoreFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <ctime>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>

#include "memory/Sqlite.h"

namespace lumeward::memory {

namespace {

// In WAL mode, commits made without a sync survive a crash or kill of the program;
// only a power cut may lose the last ones, and then an item is saved again, never lost.
// WAL files grow with the largest transaction (a 64 MiB body); they are cut back to
// 4 MiB once their content is in the database. Freed pages of large bodies are not
// zeroed (some systems' SQLite does, doubling the cost of replacing one); rows are.
constexpr const char* kSettings =
    "PRAGMA synchronous = NORMAL;"
    "PRAGMA journal_size_limit = 4194304;"
    "PRAGMA secure_delete = FAST;";

[[noreturn]] void throwErrno(const std::string& doing) {
    throw std::system_error(errno, std::generic_category(), doing);
}

// Makes each missing folder down to folder, readable by its owner only.
void makeFolders(const std::filesystem::path& folder) {
    std::filesystem::path made;
    for (const auto& part : folder) {
        made /= part;
        struct stat found {};
        if (::mkdir(made.c_str(), 0700) != 0 &&
            (errno != EEXIST || ::stat(made.c_str(), &found) != 0 || !S_ISDIR(found.st_mode))) {
            if (errno == EEXIST) {
                errno = ENOTDIR;
            }
            throwErrno("cannot make the folder " + made.string());
        }
    }
}

// "20261206T140503Z": sortable, and the same wherever the user is.
std::string stampOf(TimePoint when) {
    const std::time_t seconds = when.time_since_epoch().count();
    std::tm parts{};
    ::gmtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

// Renames without ever replacing what is already there; false when target is taken.
bool renameIfFree(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    throwErrno("cannot move it aside");
}

// Switching a new file to WAL needs it to itself for a moment, and SQLite does
// not wait for that as it waits for other locks: tried again until the time-out.
bool inWalMode(Connection& connection, std::chrono::milliseconds busyTimeout) {
    const auto deadline = std::chrono::steady_clock::now() + busyTimeout;
    for (;;) {
        try {
            auto mode = connection.query("PRAGMA journal_mode = WAL");
            return mode.step() && mode.text(0) == "wal";
        } catch (const SqliteError& failure) {
            if (!failure.busy() || std::chrono::steady_clock::now() >= deadline) {
                throw;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::filesystem::path withSuffix(const std::filesystem::path& path, std::string_view suffix) {
    return path.string() + std::string(suffix);
}

}  // namespace

StoreFile::StoreFile(std::filesystem::path path, StoreKind kind, StoreOptions options)
    : m_path(std::move(path)), m_kind(kind), m_options(std::move(options)) {
    open();
}

StoreFile::~StoreFile() = default;

bool StoreFile::use(const std::function<void(Connection&)>& work) {
    const std::lock_guard lock(m_mutex);
    if (!m_connection) {
        return false;
    }
    try {
        work(*m_connection);
        return true;
    } catch (const std::exception& failure) {
        fail(failure, m_kind.consequence);
        return false;
    }
}

std::optional<std::string> StoreFile::takeWarning() {
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_warning, std::nullopt);
}

void StoreFile::open() {
    try {
        makeFolders(m_path.parent_path());
        connect();
        return;
    } catch (const std::exception& failure) {
        if (!fail(failure, "A new one is started.")) {
            return;
        }
    }
    try {
        connect();
    } catch (const std::exception& again) {
        fail(again, m_kind.consequence);
    }
}

void StoreFile::connect() {
    struct stat before {};
    const bool existed = ::stat(m_path.c_str(), &before) == 0;
    m_connection = std::make_unique<Connection>(m_path, m_options.busyTimeout);
    // SQLite makes the file with the usual mode; nothing is in it yet, and its
    // WAL files take the mode it has from here on.
    if (!existed && ::chmod(m_path.c_str(), 0600) != 0) {
        throwErrno("cannot make it private");
    }
    struct stat opened {};
    if (::stat(m_path.c_str(), &opened) == 0) {
        m_device = opened.st_dev;
        m_inode = opened.st_ino;
    }
    if (!inWalMode(*m_connection, m_options.busyTimeout)) {
        throw std::runtime_error("it cannot be used with a write-ahead log");
    }
    m_connection->execute(kSettings);
    upgradeSchema();
}

void StoreFile::upgradeSchema() {
    const auto current = static_cast<std::int64_t>(m_kind.upgrades.size());
    if (m_connection->userVersion() == current) {
        return;
    }
    // Read again under the write lock: another process may be upgrading it too.
    Transaction transaction(*m_connection);
    const std::int64_t found = m_connection->userVersion();
    if (found > current) {
        throw std::runtime_error("it was written by a newer Lumeward (schema " +
                                 std::to_string(found) + ")");
    }
    for (auto version = found; version < current; ++version) {
        m_connection->execute(m_kind.upgrades[static_cast<std::size_t>(version)]);
    }
    m_connection->execute(("PRAGMA user_version = " + std::to_string(current)).c_str());
    transaction.commit();
}

bool StoreFile::fail(const std::exception& failure, std::string_view afterMoving) {
    m_connection.reset();
    std::string warning =
        std::string(m_kind.what) + " cannot be kept in " + m_path.string() + ": " + failure.what();
    bool moved = false;
    if (const auto* sqlite = dynamic_cast<const SqliteError*>(&failure);
        sqlite && sqlite->damaged()) {
        try {
            warning = m_path.string() + " was damaged (" + failure.what() + "); it is kept as " +
                      moveAside();
            moved = true;
        } catch (const std::exception& moving) {
            warning += ", and it cannot be moved aside: " + std::string(moving.what());
        }
    }
    warning += ". " + std::string(moved ? afterMoving : m_kind.consequence);
    m_warning = m_warning ? *m_warning + "\n" + warning : warning;
    return moved;
}

std::string StoreFile::moveAside() {
    struct stat now {};
    if (::stat(m_path.c_str(), &now) != 0) {
        throwErrno("it is gone");
    }
    if (m_inode != 0 && (now.st_dev != m_device || now.st_ino != m_inode)) {
        throw std::runtime_error("another file has taken its place");
    }
    const std::string base = m_path.string() + ".corrupt-" + stampOf(this->now());
    std::filesystem::path target = base;
    for (int attempt = 2; !renameIfFree(m_path, target); ++attempt) {
        target = base + "-" + std::to_string(attempt);
    }
    // The log may hold the newest content; it goes with the file, under the name SQLite expects.
    for (const std::string_view side : {"-wal", "-shm"}) {
        if (::rename(withSuffix(m_path, side).c_str(), withSuffix(target, side).c_str()) != 0 &&
            errno != ENOENT) {
            throwErrno("cannot move " + withSuffix(m_path, side).string() + " aside");
        }
    }
    return target.string();
}

}  // namespace lumeward::memory
