// The export when the output folder or the disk lets it down part way: every
// failed step is reported with its number, the export goes on with the next
// row, and no file it did not create is touched.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "workflows/ExportFixture.h"

using namespace lumeward::test;
using lumeward::workflows::ResultRow;
namespace fs = std::filesystem;

namespace {

// The reports the export gives when it cannot create a file, and then when it
// writes without one.
const std::string kNoFolder = "118: No such file or directory";
const std::string kNotAFolder = "118: Not a directory";
const std::string kNoFile = "126: Bad file descriptor";
const std::string kTooLarge = "126: File too large";

ResultRow row(const std::string& feed, std::string title = "Title") {
    return {true, feed, std::move(title), "Description", "https://example.org/item"};
}

std::string contentOf(const std::string& title) {
    return title + "\r\n\r\nDescription\r\n\r\nhttps://example.org/item\r\n";
}

std::vector<std::string> repeated(const std::vector<std::string>& block, int times) {
    std::vector<std::string> all;
    for (int i = 0; i < times; ++i) {
        all.insert(all.end(), block.begin(), block.end());
    }
    return all;
}

}  // namespace

TEST(ExportFolderFaults, FolderMovedAwayMidExportFailsOnlyTheRowsWhileItIsGone) {
    TempDir dir;
    const fs::path out = dir.path() / "out";
    const fs::path moved = dir.path() / "moved";
    fs::create_directory(out);
    int lookups = 0;
    // After two files the folder goes (another program moved it); before the
    // fifth it is back, empty.
    const auto folder = [&] {
        ++lookups;
        if (lookups == 3) {
            fs::rename(out, moved);
        } else if (lookups == 5) {
            fs::create_directory(out);
        }
        return out.string();
    };
    const auto result = exportInto({row(kFeedA, "One"), row(kFeedA, "Two"), row(kFeedA, "Three"),
                                    row(kFeedB, "Four"), row(kFeedA, "Five")},
                                   folder);

    EXPECT_EQ(result.failures, repeated({kNoFolder, kNoFile}, 2));
    EXPECT_EQ(lookups, 5) << "one folder look-up per row: the export went through every row";
    EXPECT_EQ(result.written, pathsIn(out.string(), {nameA(1), nameA(2), nameA(5)}));
    EXPECT_EQ(fileNames(moved), sorted({nameA(1), nameA(2)}));
    EXPECT_EQ(readFile(moved / nameA(1)), contentOf("One"));
    EXPECT_EQ(readFile(moved / nameA(2)), contentOf("Two"));
    EXPECT_EQ(fileNames(out), std::vector<std::string>{nameA(5)});
    EXPECT_EQ(readFile(out / nameA(5)), contentOf("Five"));
}

TEST(ExportFolderFaults, FolderReplacedByAFileMidExportKeepsThatFile) {
    TempDir dir;
    const fs::path out = dir.path() / "out";
    const fs::path moved = dir.path() / "moved";
    fs::create_directory(out);
    int lookups = 0;
    // After two files a file of the user's takes the folder's place.
    const auto folder = [&] {
        if (++lookups == 3) {
            fs::rename(out, moved);
            dir.write("out", "user's own file");
        }
        return out.string();
    };
    const auto result = exportInto(
        {row(kFeedA, "One"), row(kFeedA, "Two"), row(kFeedA, "Three"), row(kFeedA, "Four")},
        folder);

    EXPECT_EQ(result.failures, repeated({kNotAFolder, kNoFile}, 2));
    EXPECT_EQ(lookups, 4);
    EXPECT_EQ(result.written, pathsIn(out.string(), {nameA(1), nameA(2)}));
    EXPECT_EQ(readFile(out), "user's own file");
    EXPECT_EQ(fileNames(moved), sorted({nameA(1), nameA(2)}));
    EXPECT_EQ(readFile(moved / nameA(2)), contentOf("Two"));
}

TEST(ExportFolderFaults, FolderBelowAFileFailsEveryRowAndLeavesTheFileAlone) {
    TempDir dir;
    const std::string bytes("precious\r\nbytes\0\xff", 17);
    const fs::path file = dir.write("afile", bytes);
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(file, old);

    for (const std::string suffix : {"", "/", "/sub", "/sub/deeper"}) {
        const std::string folder = file.string() + suffix;
        const auto result = exportInto({row(kFeedA), row(kFeedB)}, [&] { return folder; });

        EXPECT_EQ(result.failures, repeated({kNotAFolder, kNoFile}, 2)) << folder;
        EXPECT_TRUE(result.written.empty()) << folder;
        EXPECT_EQ(readFile(file), bytes) << folder;
        EXPECT_EQ(fs::last_write_time(file), old) << folder;
        EXPECT_EQ(fileNames(dir.path()), std::vector<std::string>{"afile"}) << folder;
    }
}

TEST(ExportFolderFaults, FolderWithoutWritePermissionFailsEveryRow) {
    TempDir dir;
    handToUnprivilegedUser(dir.path());
    const fs::path locked = dir.path() / "locked";
    fs::create_directory(locked);
    const std::string old = "old file";
    const fs::path kept = dir.write("locked/" + nameA(1), old);
    handToUnprivilegedUser(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);

    const ForkResult child = runForkedUnprivileged([&] {
        return describe(exportInto({row(kFeedA), row(kFeedA)}, locked.string()));
    });
    fs::permissions(locked, fs::perms::owner_all);

    ASSERT_TRUE(child.exitedNormally) << child.output;
    EXPECT_EQ(child.output, "failed 118: Permission denied\nfailed " + kNoFile +
                                "\nfailed 118: Permission denied\nfailed " + kNoFile + "\n")
        << "nothing written";
    EXPECT_EQ(fileNames(locked), std::vector<std::string>{nameA(1)});
    EXPECT_EQ(readFile(kept), old);
}

TEST(ExportWriteFaults, FileSizeLimitFailsTheLargeRowsAndTheExportGoesOn) {
    TempDir dir;
    constexpr rlim_t kLimit = 200;
    // Larger than the limit, which only matters to files being written.
    const std::string oldBytes(300, 'o');
    dir.write(nameA(1), oldBytes);
    dir.write("notes.txt", "keep");
    const std::string big(1000, 't');
    const std::vector<ResultRow> rows = {row(kFeedA, "small one"), row(kFeedA, big),
                                         row(kFeedB, "small two"), row(kFeedB, big),
                                         row(kFeedA, "small three")};

    const auto child = runForked([&] {
        const rlimit limit = {kLimit, kLimit};
        // Ignored, so the write fails with EFBIG instead of the signal ending the process.
        if (::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || ::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return std::string("no limit");
        }
        const std::string folder = dir.path().string();
        return describe(exportInto(rows, [&] { return folder; }));
    });

    ASSERT_TRUE(child.exitedNormally) << child.output;
    const std::string folder = dir.path().string() + "/";
    EXPECT_EQ(child.output, "written " + folder + nameA(2) + "\nwritten " + folder + nameB(4) +
                                "\nwritten " + folder + nameA(6) + "\nfailed " + kTooLarge +
                                "\nfailed " + kTooLarge + "\n");
    EXPECT_EQ(readFile(dir.path() / nameA(1)), oldBytes);
    EXPECT_EQ(readFile(dir.path() / "notes.txt"), "keep");
    EXPECT_EQ(readFile(dir.path() / nameA(2)), contentOf("small one"));
    EXPECT_EQ(readFile(dir.path() / nameB(4)), contentOf("small two"));
    EXPECT_EQ(readFile(dir.path() / nameA(6)), contentOf("small three"));
    // The truncated files were the export's own: it removes them, and their
    // numbers stay used.
    EXPECT_EQ(fileNames(dir.path()), sorted({nameA(1), nameA(2), nameB(4), nameA(6), "notes.txt"}));
}
