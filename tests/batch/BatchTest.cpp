#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "support/AddressLineCases.h"
#include "support/ChildProcess.h"
#include "support/LoopbackServer.h"
#include "support/ScopedHome.h"
#include "support/TempDir.h"

using namespace lumeward::test;
using Args = std::vector<std::string>;

namespace {

const auto batch = [](const Args& args) { return runProgram(LUMEWARD_BATCH_PROGRAM, args); };

// The feed the tests read, and the line list prints for it from an address. The second item's
// title makes that line longer than the 64 KiB the writer buffers.
const std::string kLong(70'000, '2');
const std::string kFeed = R"(<rss version="2.0"><channel><title>C</title><item><guid>tag:e,1</guid>
<title>"新" \ &amp;</title><link>http://e/1?a&amp;b</link><description>&lt;b&gt;x&lt;/b&gt;
	y</description><pubDate>Mon, 07 Dec 2026 10:00:00 +0100</pubDate></item><item><title>)" +
                          kLong + "</title></item></channel></rss>";
std::string line(const std::string& feed) {
    return R"({"feed":")" + feed +
           R"(","ok":true,"type":1,"typeName":"RSS","status":200,)"
           R"("statusText":"OK","errorCode":0,"errorDesc":"","foundAt":null,)"
           R"("items":[{"url":"http://e/1?a&b",)"
           R"("title":"\"新\" \\ &","description":"x\n\ty","date":"2026-12-07T09:00:00Z",)"
           R"("id":"tag:e,1"},{"url":"","title":")" +
           kLong + "\",\"description\":\"\",\"date\":null,\"id\":\"\"}]}\n";
}

class Batch : public testing::Test {
protected:
    Batch() { server.serve("/feed", 200, kFeed); }

    const ScopedHome home;  // the memory between runs starts empty
    LoopbackServer server;
    // Two addresses of the same feed.
    const std::string a = server.url("/feed"), b = a + "?b";
};

}  // namespace

TEST_F(Batch, ListPrintsALinePerAddressAsEachReadEndsExpandingAddressFilesInPlace) {
    const TempDir dir;
    const auto out = dir.path() / "out", err = dir.path() / "err";
    const auto missing = server.url("/missing"), later = server.url("/later");
    std::atomic<bool> linesWereOut = false;
    // The last feed answers once the lines before it are out.
    server.handle("/later", [&](const httplib::Request&, httplib::Response& response) {
        for (int i = 0; i < 250 && !(linesWereOut = linesOf(readFile(out)).size() == 4); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        response.set_content(kFeed, "application/xml");
    });
    // An empty piece, such as the one after a final line feed, adds no address.
    const auto list = "@" + dir.write("list", b + "\r\n\n" + a + "\n").string();
    // A failed read is shown and the list goes on, but the status says so.
    EXPECT_EQ(runProgramTo(LUMEWARD_BATCH_PROGRAM, {"list", "--jobs", "2", a, list, missing, later},
                           out, err),
              1);
    EXPECT_TRUE(linesWereOut);
    const std::string text = readFile(out);
    EXPECT_TRUE(text.starts_with(line(a) + line(b) + line(a) + R"({"feed":")" + missing +
                                 R"(","ok":false,"type":0,"typeName":"Unknown / None",)"
                                 R"("status":404,"statusText":"Not Found","errorCode":1003,)"
                                 R"("errorDesc":"Not well-formed XML: )"));
    EXPECT_TRUE(text.ends_with(",\"items\":[]}\n" + line(later)));
    EXPECT_EQ(batch({"list", a}).status, 0);
    // A feed with no entries yet is read, not failed; here as the feed a web page names.
    server.serve("/empty", 200, "<feed><title>Soon</title></feed>");
    server.serve("/site", 200, "<link rel=alternate type=application/atom+xml href=empty>",
                 "text/html");
    const RunResult empty = batch({"list", server.url("/site")});
    EXPECT_EQ(empty.out, R"({"feed":")" + server.url("/site") +
                             R"(","ok":true,"type":3,"typeName":"Atom","status":200,)"
                             R"("statusText":"OK","errorCode":0,"errorDesc":"","foundAt":")" +
                             server.url("/empty") +
                             R"(","items":[]})"
                             "\n");
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(runProgramTo(LUMEWARD_BATCH_PROGRAM, {"list", a}, "/dev/full", err), 1);
    EXPECT_EQ(readFile(err), "lumeward-batch: cannot write the output\n");
}

TEST_F(Batch, RejectsAWrongCommandLineWithStatusTwoBeforeReadingAnything) {
    const TempDir dir;
    const std::string to = dir.path().string(), absent = "@" + to + "/absent";
    // clang-format off
    const std::vector<std::pair<Args, std::string>> cases = {
        {{}, "no command"},       {{"LIST", a}, "command 'LIST'"}, {{"--list"}, "'--list'"},
        {{"list"}, "ADDRESS is required"}, {{"save", to}, "ADDRESS is required"},
        {{"save", "", a}, "not empty"}, {{"--jobs", "0", "list", a}, "--jobs"},
        {{"list", "--jobs", "x", a}, "--jobs"}, {{"save", "--format", "html", to, a}, "--format"},
        {{"list", "--format", "page", a}, "--format"},
        {{"save", to, a, absent}, "Cannot read " + to + "/absent"},
        {{"list", a, absent}, "Cannot read " + to + "/absent: No such file or directory"}};
    // clang-format on
    for (const auto& [args, named] : cases) {
        const auto result = batch(args);
        EXPECT_EQ(result.status, 2) << testing::PrintToString(args);
        EXPECT_TRUE(result.out.empty() && result.err.starts_with("lumeward-batch: ") &&
                    result.err.find(named) != std::string::npos)
            << result.out << result.err;
    }
    EXPECT_TRUE(server.requests().empty());
    EXPECT_TRUE(std::filesystem::is_empty(to));

    const auto help = batch({"--help"}), version = batch({"--version"});
    EXPECT_EQ(help.status | version.status, 0);
    EXPECT_NE(
        help.out.find("save [--jobs N] [--format plain|page] [--new-only] FOLDER ADDRESS...\n"),
        std::string::npos)
        << help.out;
    EXPECT_EQ(version.out, "lumeward-batch " LUMEWARD_VERSION "\n");
}

TEST_F(Batch, SaveWritesOneFilePerItemPrintingEachPathAndReportsEachFailedStep) {
    const TempDir dir;
    const auto result =
        batch({"save", dir.path().string() + "//", a, "@" + dir.write("list", b).string()});
    const auto base = dir.path().string() + "/http127001" + std::to_string(server.port()) + "feed";
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              base + "1.html\n" + base + "2.html\n" + base + "b3.html\n" + base + "b4.html\n");
    EXPECT_EQ(readFile(base + "b3.html"),
              "\"新\" \\ &amp;\r\n\r\nx\n\ty\r\n\r\nhttp://e/1?a&amp;b\r\n");
    // The same items as web pages, under names still free.
    const auto pages = batch({"save", "--format", "page", dir.path().string(), a});
    EXPECT_EQ(pages.out, base + "3.html\n" + base + "4.html\n");
    EXPECT_NE(
        readFile(base + "3.html")
            .find("<h1>&quot;新&quot; \\ &amp;</h1>\n<p><time datetime=\"2026-12-07T09:00:00Z\">"),
        std::string::npos);

    // A feed that cannot be read is named on standard error; the others are still saved.
    const auto missing = server.url("/missing"), other = (dir.path() / "other").string();
    std::filesystem::create_directory(other);
    const auto partly = batch({"save", other, missing, a});
    EXPECT_EQ(partly.status, 1);
    EXPECT_EQ(linesOf(partly.out).size(), 2u);
    EXPECT_EQ(partly.err, "lumeward-batch: " + missing + ": HTTP 404 Not Found\n");
    // A missing folder gets one line and no file, not a report per file, and no feed is read
    // for nothing; nor does a folder that goes away while the feeds are read get more.
    const auto vanishing = dir.path() / "vanishing";
    std::filesystem::create_directory(vanishing);
    server.handle("/vanish", [&](const httplib::Request&, httplib::Response& response) {
        std::filesystem::remove(vanishing);
        response.set_content(kFeed, "application/xml");
    });
    for (const auto& folder : {dir.path() / "absent", vanishing}) {
        const auto requestsBefore = server.requests().size();
        const auto absent = batch({"save", folder.string(), server.url("/vanish")});
        EXPECT_EQ(absent.status, 1);
        EXPECT_EQ(absent.out + absent.err, "lumeward-batch: Cannot save into " + folder.string() +
                                               ": No such file or directory\n");
        EXPECT_EQ(server.requests().size() - requestsBefore, folder == vanishing ? 1u : 0u);
    }
    // A folder that takes files, so deep that no file name fits after it: each item fails at
    // steps 118 and 126; CR in a report becomes LF, which no terminal overprints.
    auto deep = dir.path();
    while (deep.string().size() < 4080) {
        deep /= std::string(std::min<std::size_t>(200, 4080 - deep.string().size() - 1), 'd');
    }
    std::filesystem::create_directories(deep);
    const auto failed = batch({"save", deep.string(), a});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    const std::string reports =
        "File name too long\n\nin Tessmoor.Form1.PushButton3_Click at line 118\n\n"
        "Please email support@lumeward.org\nBad file descriptor\n\n"
        "in Tessmoor.Form1.PushButton3_Click at line 126\n\nPlease email support@lumeward.org\n";
    EXPECT_EQ(failed.err, reports + reports);
}

TEST_F(Batch, AReaderThatGoesAwayEndsTheListWithStatusOneAndNoMessage) {
    // Every answer takes 20 ms: a run that went on would ask for all 100 feeds.
    server.handle("/slow", [](const httplib::Request&, httplib::Response& response) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        response.set_content(kFeed, "application/xml");
    });
    const TempDir dir;
    const auto pipe = dir.path() / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // As "| head -c 20" reads; the first line is longer than a pipe holds.
    std::string head(20, ' ');
    std::jthread reader([&] {
        const int fd = ::open(pipe.c_str(), O_RDONLY);
        EXPECT_EQ(::read(fd, head.data(), head.size()), 20);
        ::close(fd);
    });
    Args args{"list"};
    args.insert(args.end(), 100, server.url("/slow"));
    EXPECT_EQ(runProgramTo(LUMEWARD_BATCH_PROGRAM, args, pipe, dir.path() / "err"), 1)
        << "not ended by SIGPIPE";
    reader.join();
    EXPECT_EQ(head, line(args[1]).substr(0, 20));
    EXPECT_EQ(readFile(dir.path() / "err"), "");
    EXPECT_LT(server.hits("/slow"), 50) << "the run ended with its output";
}

TEST_F(Batch, AddressFilesTakeTheAddressLinesByTheRuleOfEveryWayIn) {
    const TempDir dir;
    for (const auto& [text, added] : kAddressLineCases) {
        const auto result = batch({"list", "@" + dir.write("list", text).string()});
        std::string listed;
        for (const auto& printed : linesOf(result.out)) {
            const std::string start = R"({"feed":")";
            listed += printed.substr(start.size(), printed.find(R"(","ok")") - start.size()) + ' ';
        }
        EXPECT_EQ(listed, added) << testing::PrintToString(text);
    }
}

namespace {

// A feed of items 1 to count, each with its id.
std::string feedOf(int count) {
    std::string body = "<rss version=\"2.0\"><channel>";
    for (int i = 1; i <= count; ++i) {
        body += "<item><guid>" + std::to_string(i) + "</guid><title>Item " + std::to_string(i) +
                "</title></item>";
    }
    return body + "</channel></rss>";
}

}  // namespace

TEST_F(Batch, SaveNewOnlyWritesOnlyWhatIsNotSavedAndNamesAFeedThatMoved) {
    const TempDir dir;
    const std::string folder = dir.path().string();
    server.serve("/grow", 200, feedOf(2));
    const auto grow = server.url("/grow");
    const auto saved = [&](const Args& args) {
        const auto result = batch(args);
        EXPECT_EQ(result.status, 0) << result.err;
        return linesOf(result.out).size();
    };
    EXPECT_EQ(saved({"save", "--new-only", folder, grow}), 2u);
    EXPECT_EQ(saved({"save", "--new-only", folder + "/.", grow}), 0u) << "any spelling";
    server.serve("/grow", 200, feedOf(4));
    const auto gained = batch({"save", "--new-only", folder, grow});
    EXPECT_EQ(linesOf(gained.out).size(), 2u);
    EXPECT_NE(readFile(linesOf(gained.out).front()).find("Item 3"), std::string::npos);
    EXPECT_EQ(saved({"save", folder, grow}), 4u) << "without --new-only, every item";

    // A move for good is said once, and the items are still read and saved.
    server.handle("/old", [&](const httplib::Request&, httplib::Response& response) {
        response.status = 301;
        response.set_header("Location", grow);
    });
    const auto old = server.url("/old");
    std::filesystem::create_directory(dir.path() / "o");
    const auto moved = batch({"save", "--new-only", (dir.path() / "o").string(), old});
    EXPECT_EQ(moved.status, 0);
    EXPECT_EQ(linesOf(moved.out).size(), 4u);
    EXPECT_EQ(moved.err, "lumeward-batch: " + old + ": moved permanently to " + grow + "\n");
    EXPECT_NE(
        batch({"list", old}).out.find(R"(,"movedTo":")" + grow + R"(","foundAt":null,"items":[)"),
        std::string::npos);
}

TEST_F(Batch, AStoreThatCannotBeUsedGivesOneWarningAndAFirstRun) {
    const TempDir dir;
    // clang-format off
    const std::vector<std::pair<std::filesystem::path, Args>> cases = {
        {home.path() / "cache/lumeward/cache.sqlite", {"list", a}},
        {home.path() / "data/lumeward/memory.sqlite", {"save", "--new-only", dir.path(), a}},
    };
    // clang-format on
    for (const auto& [file, args] : cases) {
        std::filesystem::create_directories(file / "in the way");
        for (int run = 0; run < 2; ++run) {
            const auto result = batch(args);
            EXPECT_EQ(result.status, 0);
            // Unable to remember, each run is a first run, and says why once.
            EXPECT_EQ(linesOf(result.out).size(), args[0] == "list" ? 1u : 2u) << result.out;
            EXPECT_TRUE(result.err.starts_with("lumeward-batch: ") &&
                        linesOf(result.err).size() == 1 &&
                        result.err.find(file.string()) != std::string::npos)
                << result.err;
        }
        std::filesystem::remove_all(file);
    }
}

TEST_F(Batch, ASaveNewOnlyKilledHalfWayLosesNoItemWhenRunAgain) {
    constexpr int kItems = 3000;
    server.serve("/many", 200, feedOf(kItems));
    const TempDir dir;
    const auto folder = dir.path() / "out";
    std::filesystem::create_directory(folder);
    const auto filesNow = [&] {
        return std::distance(std::filesystem::directory_iterator(folder), {});
    };
    const Args args{"save", "--new-only", folder.string(), server.url("/many")};
    {
        ForkedChild child([&](const ForkedChild::Send&) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execl(LUMEWARD_BATCH_PROGRAM, LUMEWARD_BATCH_PROGRAM, args[0].c_str(),
                    args[1].c_str(), args[2].c_str(), args[3].c_str(), nullptr);
        });
        // Past the first recorded batch, well before the last file.
        while (filesNow() < 600) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        child.kill();
        EXPECT_FALSE(child.wait());
    }
    const auto afterKill = filesNow();
    ASSERT_LT(afterKill, kItems) << "the kill came too late to prove anything";
    const auto again = batch(args);
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.err, "") << "the store still opens";
    std::set<std::string> titles;
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        const std::string text = readFile(file.path());
        titles.insert(text.substr(0, text.find('\r')));
    }
    for (int i = 1; i <= kItems; ++i) {
        EXPECT_TRUE(titles.contains("Item " + std::to_string(i))) << "a file for each item";
    }
    // Only items whose record the kill cut off are saved twice.
    EXPECT_LE(filesNow(), kItems + (afterKill % 256) + 256);
    EXPECT_EQ(batch(args).out, "");
}
