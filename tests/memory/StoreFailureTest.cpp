#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "memory/SettableClock.h"
#include "memory/Sqlite.h"
#include "memory/UserStore.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

using namespace lumeward::memory;
using namespace lumeward::test;
namespace fs = std::filesystem;

namespace {

const std::string kWhat = "The record of saved items and the address list cannot be kept in ";
const std::string kWithout =
    ". Items saved before may be saved again, and the address list is not kept this time.";

// Records an item and a list, reads them back and tells what it saw:
// "WARNING | items found | addresses found | a second warning".
std::string probe(const fs::path& file, SettableClock& clock,
                  const std::function<void(const fs::path&)>& beforeWrites) {
    UserStore store(file, clock.options());
    beforeWrites(file);
    store.recordSaved("/out", "key", "name.html");
    const std::vector<KeptAddress> list = {{"http://a.example/feed", "", ""}};
    store.keepAddresses(list);
    const std::vector<std::string> keys = {"key"};
    const auto warning = store.takeWarning();
    return warning.value_or("no warning") + " | " +
           std::to_string(store.savedInto("/out", keys)[0].has_value()) + " | " +
           std::to_string(store.keptAddresses().size()) + " | " +
           store.takeWarning().value_or("once");
}

void makeStore(const fs::path& file) {
    SettableClock clock;
    UserStore store(file, clock.options());
    const std::vector<KeptAddress> list(50, {std::string(200, 'a'), "20 items", "OK"});
    store.keepAddresses(list);
}

// Overwrites the last pages, where the address list is.
void damageTail(const fs::path& file) {
    std::fstream bytes(file, std::ios::in | std::ios::out | std::ios::binary);
    bytes.seekp(-8192, std::ios::end);
    bytes << std::string(8192, 'x');
}

}  // namespace

TEST(StoreFailure, EachGivesOneWarningNamingFileAndReasonThenARunLikeAFirstOne) {
    struct Case {
        std::string name;
        std::function<void(const TempDir& home, const fs::path& file)> arrange;
        std::string warning;  // after the file's path
        std::string afterwards;
        bool unprivileged = false;
        bool lockedByAnother = false;
        std::function<void(const fs::path& file)> beforeWrites = [](const fs::path&) {};
    };
    const std::string corrupt = ".corrupt-20261206T000000Z";
    const std::vector<Case> cases = {
        {"all is well", [](const TempDir&, const fs::path&) {}, "", "no warning | 1 | 1 | once"},
        {"not a database, a second time in that second",
         [&corrupt](const TempDir&, const fs::path& file) {
             fs::create_directories(file.parent_path());
             std::ofstream(file) << std::string(5000, 'x');
             std::ofstream(file.string() + corrupt) << "the first";
         },
         " was damaged (file is not a database); it is kept as FILE" + corrupt +
             "-2. A new one is started.",
         "1 | 1 | once"},
        {"a folder in its place",
         [](const TempDir&, const fs::path& file) { fs::create_directories(file); },
         ": unable to open database file (Is a directory)" + kWithout, "0 | 0 | once"},
        {"a file in place of its folder",
         [](const TempDir&, const fs::path& file) { std::ofstream(file.parent_path().string()); },
         ": cannot make the folder PARENT: Not a directory" + kWithout, "0 | 0 | once"},
        {"unreadable",
         [](const TempDir& home, const fs::path& file) {
             makeStore(file);
             fs::permissions(file, fs::perms::none);
             handToUnprivilegedUser(home.path());
             handToUnprivilegedUser(file.parent_path());
             handToUnprivilegedUser(file);
         },
         ": unable to open database file (Permission denied)" + kWithout, "0 | 0 | once", true},
        {"read-only home",
         [](const TempDir& home, const fs::path&) {
             fs::permissions(home.path(), fs::perms::owner_read | fs::perms::owner_exec);
             handToUnprivilegedUser(home.path());
         },
         ": cannot make the folder PARENT: Permission denied" + kWithout, "0 | 0 | once", true},
        {"unwritable folder",
         [](const TempDir& home, const fs::path& file) {
             makeStore(file);
             fs::remove(fs::path(file.string() + "-wal"));
             fs::remove(fs::path(file.string() + "-shm"));
             fs::permissions(file.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
             handToUnprivilegedUser(home.path());
             handToUnprivilegedUser(file.parent_path());
             handToUnprivilegedUser(file);
         },
         ": attempt to write a readonly database (its folder is not writable)" + kWithout,
         "0 | 0 | once", true},
        {"written by a newer program",
         [](const TempDir&, const fs::path& file) {
             makeStore(file);
             Connection(file, std::chrono::seconds(1)).execute("PRAGMA user_version = 7");
         },
         ": it was written by a newer Lumeward (schema 7)" + kWithout, "0 | 0 | once"},
        {"locked by another process", [](const TempDir&, const fs::path& file) { makeStore(file); },
         ": database is locked" + kWithout, "0 | 0 | once", false, true},
        {"damaged where the list is",
         [](const TempDir&, const fs::path& file) {
             makeStore(file);
             damageTail(file);
         },
         " was damaged (database disk image is malformed); it is kept as FILE" + corrupt + kWithout,
         "0 | 0 | once"},
        {"damaged, and another file in its place",
         [](const TempDir&, const fs::path& file) { makeStore(file); },
         ": database disk image is malformed, and it cannot be moved aside: another file has taken "
         "its place" +
             kWithout,
         "0 | 0 | once", false, false,
         [](const fs::path& file) {
             damageTail(file);
             fs::copy_file(file, file.string() + ".new");
             fs::rename(file.string() + ".new", file);
         }},
        {"out of room", [](const TempDir&, const fs::path& file) { makeStore(file); },
         ": disk I/O error" + kWithout, "0 | 0 | once", false, false,
         [](const fs::path&) {
             // Ignored, so that the write fails with EFBIG instead of the signal ending the
             // process.
             ::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit = {1000, 1000};
             ::setrlimit(RLIMIT_FSIZE, &limit);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir home;
        const fs::path file = home.path() / "lumeward" / "memory.sqlite";
        c.arrange(home, file);
        std::optional<ForkedChild> holder;
        if (c.lockedByAnother) {
            holder.emplace([&file](const ForkedChild::Send& send) {
                Connection holding(file, std::chrono::seconds(1));
                holding.execute("BEGIN IMMEDIATE");
                send("locked");
                ::pause();
            });
            ASSERT_EQ(holder->nextLine(), "locked");
        }
        SettableClock clock;
        const auto probing = [&] { return probe(file, clock, c.beforeWrites); };
        const auto seen = c.unprivileged ? runForkedUnprivileged(probing) : runForked(probing);
        std::string expected = c.warning.empty() ? c.afterwards
                               : c.warning.starts_with(" was")
                                   ? file.string() + c.warning + " | " + c.afterwards
                                   : kWhat + file.string() + c.warning + " | " + c.afterwards;
        for (const auto& [word, path] : {std::pair{"FILE", file}, {"PARENT", file.parent_path()}}) {
            if (const auto at = expected.find(word); at != std::string::npos) {
                expected.replace(at, std::string_view(word).size(), path.string());
            }
        }
        EXPECT_EQ(seen.output, expected);
    }
}
