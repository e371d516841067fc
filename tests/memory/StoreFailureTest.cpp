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
    using Step = std::function<void(const fs::path& file)>;
    struct Case {
        std::string name;
        Step arrange;
        std::string warning;  // after the file's path; FILE and PARENT stand for the paths
        bool keepsAfterwards = false;
        bool unprivileged = false;  // run as "nobody", who then owns everything in the home
        Step beforeWrites = [](const fs::path&) {};
    };
    std::optional<ForkedChild> holder;  // of the lock
    const auto readOnly = [](const fs::path& folder) {
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    };
    const std::string corrupt = ".corrupt-20261206T000000Z";
    const std::vector<Case> cases = {
        {"all is well", [](const fs::path&) {}, "", true},
        {"not a database, a second time in that second",
         [&](const fs::path& file) {
             fs::create_directories(file.parent_path());
             std::ofstream(file) << std::string(5000, 'x');
             std::ofstream(file.string() + corrupt) << "the first";
         },
         " was damaged (file is not a database); it is kept as FILE" + corrupt +
             "-2. A new one is started.",
         true},
        {"a folder in its place", [](const fs::path& file) { fs::create_directories(file); },
         ": unable to open database file (Is a directory)" + kWithout},
        {"a file in place of its folder",
         [](const fs::path& file) { std::ofstream(file.parent_path().string()); },
         ": cannot make the folder PARENT: Not a directory" + kWithout},
        {"unreadable",
         [](const fs::path& file) {
             makeStore(file);
             fs::permissions(file, fs::perms::none);
         },
         ": unable to open database file (Permission denied)" + kWithout, false, true},
        {"read-only home",
         [&](const fs::path& file) { readOnly(file.parent_path().parent_path()); },
         ": cannot make the folder PARENT: Permission denied" + kWithout, false, true},
        {"unwritable folder",
         [&](const fs::path& file) {
             makeStore(file);
             readOnly(file.parent_path());
         },
         ": attempt to write a readonly database (its folder is not writable)" + kWithout, false,
         true},
        {"written by a newer program",
         [](const fs::path& file) {
             makeStore(file);
             Connection(file, std::chrono::seconds(1)).execute("PRAGMA user_version = 7");
         },
         ": it was written by a newer Lumeward (schema 7)" + kWithout},
        {"locked by another process",
         [&holder](const fs::path& file) {
             makeStore(file);
             holder.emplace([&file](const ForkedChild::Send& send) {
                 Connection holding(file, std::chrono::seconds(1));
                 holding.execute("BEGIN IMMEDIATE");
                 send("locked");
                 ::pause();
             });
             holder->nextLine();
         },
         ": database is locked" + kWithout},
        {"damaged where the list is",
         [](const fs::path& file) {
             makeStore(file);
             damageTail(file);
         },
         " was damaged (database disk image is malformed); it is kept as FILE" + corrupt +
             kWithout},
        {"damaged, and another file in its place", makeStore,
         ": database disk image is malformed, and it cannot be moved aside: another file has "
         "taken its place" +
             kWithout,
         false, false,
         [](const fs::path& file) {
             damageTail(file);
             fs::copy_file(file, file.string() + ".new");
             fs::rename(file.string() + ".new", file);
         }},
        {"out of room", makeStore, ": disk I/O error" + kWithout, false, false,
         [](const fs::path&) {
             // Ignored, so that the write fails with EFBIG instead of the signal ending it.
             ::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit = {1000, 1000};
             ::setrlimit(RLIMIT_FSIZE, &limit);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir home;
        const fs::path file = home.path() / "lumeward" / "memory.sqlite";
        c.arrange(file);
        if (c.unprivileged) {
            for (const auto& entry : fs::recursive_directory_iterator(home.path())) {
                handToUnprivilegedUser(entry.path());
            }
            handToUnprivilegedUser(home.path());
        }
        SettableClock clock;
        const auto probing = [&] { return probe(file, clock, c.beforeWrites); };
        const auto seen = c.unprivileged ? runForkedUnprivileged(probing) : runForked(probing);
        std::string expected =
            (c.warning.empty()               ? "no warning"
             : c.warning.starts_with(" was") ? file.string() + c.warning
                                             : kWhat + file.string() + c.warning) +
            (c.keepsAfterwards ? " | 1 | 1 | once" : " | 0 | 0 | once");
        for (const auto& [word, path] : {std::pair{"FILE", file}, {"PARENT", file.parent_path()}}) {
            if (const auto at = expected.find(word); at != std::string::npos) {
                expected.replace(at, std::string_view(word).size(), path.string());
            }
        }
        EXPECT_EQ(seen.output, expected);
    }
}
