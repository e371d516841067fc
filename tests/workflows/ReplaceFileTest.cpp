// Replacing a file in one step, as address lists are saved, on real files.
#include "workflows/ReplaceFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>
#include <tuple>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

using namespace lumeward::test;
using namespace lumeward::workflows;
namespace fs = std::filesystem;

namespace {

constexpr auto kChosen = FileAccess::AsTheUserChose;

long entries(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), {});
}

}  // namespace

TEST(ReplaceFile, ANewFileTakesTheUmaskAndAFileWrittenOverKeepsItsModeAndOwner) {
    // The umask, the old file's mode (0: no old file), the access asked for, the mode written.
    const std::tuple<mode_t, mode_t, FileAccess, mode_t> cases[] = {
        {077, 0, kChosen, 0600},
        {022, 0, kChosen, 0644},
        {077, 0644, kChosen, 0644},
        {022, 0640, kChosen, 0640},
        {0, 0, FileAccess::OwnerOnly, 0600},
        {022, 0664, FileAccess::OwnerOnly, 0600}};
    const TempDir dir;
    const auto file = dir.path() / "feeds.opml";
    struct stat status {};
    for (const auto& [umask, old, access, mode] : cases) {
        fs::remove(file);
        if (old != 0) {
            ::chmod(dir.write("feeds.opml", "old").c_str(), old);
            handToUnprivilegedUser(file);  // another owner, where this process may give files away
        }
        const uid_t owner =
            ::stat(file.c_str(), &status) == 0 && access == kChosen ? status.st_uid : ::geteuid();
        const mode_t saved = ::umask(umask);
        replaceFile(file, "new", access);
        ::umask(saved);

        ASSERT_EQ(::stat(file.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, mode) << umask << ' ' << old;
        EXPECT_EQ(status.st_uid, owner);
        EXPECT_EQ(readFile(file), "new");
        EXPECT_EQ(entries(dir.path()), 1) << "no temporary file left";
    }
}

TEST(ReplaceFile, AUserWhoMayNotKeepTheOwnerKeepsTheGroup) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can make a file of another user's in a shared group";
    }
    constexpr gid_t kShared = 100;  // Debian's "users"
    const TempDir dir;
    handToUnprivilegedUser(dir.path());
    const auto file = dir.write("feeds.opml", "old");
    ASSERT_EQ(::chown(file.c_str(), 0, kShared), 0);
    const auto child = runForkedUnprivileged(
        [&] {
            replaceFile(file, "new", kChosen);
            return readFile(file);
        },
        kShared);
    struct stat status {};
    ::stat(file.c_str(), &status);
    EXPECT_EQ(child.output, "new");
    EXPECT_EQ(status.st_gid, kShared);
}

TEST(ReplaceFile, ReplacesTheFileALinkLeadsToInItsFolderAndKeepsTheLink) {
    // Links made in "links/" ("/" leads from the test's folder), and the file that saving over
    // "links/list" writes.
    using Links = std::vector<std::pair<std::string, std::string>>;
    const std::pair<Links, std::string> cases[] = {
        {{{"list", "/data/list"}}, "data/list"},
        {{{"list", "../data/list"}}, "data/list"},
        {{{"list", "step"}, {"step", "../data/list"}}, "data/list"},
        {{{"list", "../data/new"}}, "data/new"}};
    for (const auto& [links, target] : cases) {
        const TempDir dir;
        fs::create_directories(dir.path() / "links");
        fs::create_directories(dir.path() / "data");
        dir.write("data/list", "old");
        for (const auto& [link, to] : links) {
            fs::create_symlink(to.starts_with('/') ? dir.path().string() + to : to,
                               dir.path() / "links" / link);
        }
        replaceFile(dir.path() / "links/list", "new", kChosen);

        EXPECT_EQ(readFile(dir.path() / target), "new") << target;
        EXPECT_TRUE(fs::is_symlink(dir.path() / "links/list"));
        EXPECT_EQ(entries(dir.path() / "links") + entries(dir.path() / "data"),
                  std::ssize(links) + (target == "data/list" ? 1 : 2));
    }
}

TEST(ReplaceFile, SavesANameNearTheLimitAndFailsWholeNamingThePathAndTheReason) {
    const TempDir dir;
    const auto longName = dir.path() / (std::string(245, 'n') + ".opml");
    replaceFile(longName, "new", kChosen);
    EXPECT_EQ(readFile(longName), "new");
    fs::create_directory(dir.path() / "folder");
    fs::create_symlink("loop", dir.path() / "loop");
    const std::pair<std::string, std::string> failures[] = {
        {"missing/feeds.opml", "No such file or directory"},
        {"folder", "Is a directory"},
        {"loop", "Too many levels of symbolic links"},
        {std::string(256, 'n'), "File name too long"}};
    for (const auto& [name, reason] : failures) {
        try {
            replaceFile(dir.path() / name, "new", kChosen);
            ADD_FAILURE() << name << " written";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), "Cannot write " + (dir.path() / name).string() + ": " + reason);
        }
    }
    EXPECT_EQ(entries(dir.path()), 3) << "no temporary file left";
}
