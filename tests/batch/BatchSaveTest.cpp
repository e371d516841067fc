#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "workflows/Export.h"

using lumeward::test::linesOf;
using lumeward::test::LoopbackServer;
using lumeward::test::readFile;
using lumeward::test::RunResult;
using lumeward::test::TempDir;
using lumeward::workflows::CleanFileName;

namespace {

// Runs lumeward-batch as a child process.
RunResult runProgram(const std::vector<std::string>& args) {
    return lumeward::test::runProgram(LUMEWARD_BATCH_PROGRAM, args);
}

std::size_t filesIn(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

const std::string kTwoItemFeed = R"(<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0"><channel><title>Channel</title>
<item><title>Alpha title</title><link>http://example.com/a</link>
<description>Alpha text</description></item>
<item><title>Beta title</title><link>http://example.com/b</link>
<description>Beta text</description></item>
</channel></rss>)";

const std::string kOneItemFeed = R"(<?xml version="1.0" encoding="utf-8"?>
<feed xmlns="http://www.w3.org/2005/Atom"><title>A</title>
<entry><title>Gamma title</title><link rel="alternate" href="http://example.net/g"/>
<content>Gamma text</content></entry>
</feed>)";

class BatchSave : public testing::Test {
protected:
    BatchSave() {
        m_server.serve("/feed", 200, kTwoItemFeed);
        m_server.serve("/other.xml", 200, kOneItemFeed);
    }

    std::string url(std::string_view path) const { return m_server.url(path); }

    LoopbackServer m_server;
};

}  // namespace

TEST_F(BatchSave, WritesOneFilePerItemAndPrintsEachPath) {
    const TempDir folder;
    const TempDir lists;
    const auto other = url("/other.xml");
    const auto addressFile = lists.write("feeds.txt", other + "\r\n");
    const auto result = runProgram({"save", folder.path().string(), url("/feed"),
                                    url("/missing.xml"), "@" + addressFile.string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");

    const auto lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), 3u) << result.out;
    const auto feedName = CleanFileName(url("/feed"));
    EXPECT_EQ(lines[0], (folder.path() / (feedName + "1.html")).string());
    EXPECT_EQ(lines[1], (folder.path() / (feedName + "2.html")).string());
    const auto otherStart = (folder.path() / CleanFileName(other)).string();
    EXPECT_TRUE(lines[2].starts_with(otherStart) && lines[2].ends_with(".html")) << lines[2];

    // Each file holds its own item; the failed feed left none.
    const std::vector<std::string> titles = {"Alpha title", "Beta title", "Gamma title"};
    for (std::size_t i = 0; i < titles.size(); ++i) {
        EXPECT_NE(readFile(lines[i]).find(titles[i]), std::string::npos) << lines[i];
    }
    EXPECT_EQ(filesIn(folder.path()), 3u);
}

TEST_F(BatchSave, AcceptsAFolderWithATrailingSlash) {
    const TempDir folder;
    const auto result = runProgram({"save", folder.path().string() + "/", url("/other.xml")});
    EXPECT_EQ(result.status, 0) << result.err;
    const auto lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), 1u) << result.out;
    EXPECT_TRUE(std::filesystem::exists(lines[0])) << lines[0];
    EXPECT_EQ(std::filesystem::path(lines[0]).parent_path(), folder.path());
}

TEST_F(BatchSave, ReportsEachFailedStepWhenTheFolderDoesNotExist) {
    const TempDir parent;
    const auto absent = parent.path() / "absent";
    const auto result = runProgram({"save", absent.string(), url("/other.xml")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("118"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("126"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find('\r'), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(absent));
}

TEST_F(BatchSave, RejectsAMissingFolderOrAddressesWithStatusTwo) {
    const TempDir folder;
    const TempDir lists;
    const auto absentList = "@" + (lists.path() / "absent.txt").string();
    const std::vector<std::vector<std::string>> cases = {
        {"save"},
        {"save", folder.path().string()},
        {"save", "", url("/feed")},
        {"save", folder.path().string(), url("/feed"), absentList},
    };
    for (const auto& args : cases) {
        const auto result = runProgram(args);
        const auto shown = testing::PrintToString(args);
        EXPECT_EQ(result.status, 2) << shown;
        EXPECT_EQ(result.out, "") << shown;
        EXPECT_TRUE(result.err.starts_with("lumeward-batch: ")) << shown << result.err;
    }
    EXPECT_EQ(m_server.hits("/feed"), 0);
    EXPECT_EQ(filesIn(folder.path()), 0u);
}

TEST(BatchSaveUsage, HelpShowsTheSaveCommand) {
    const auto help = runProgram({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("lumeward-batch save FOLDER ADDRESS...\n"), std::string::npos)
        << help.out;
}
