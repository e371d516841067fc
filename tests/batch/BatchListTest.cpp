#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/ChildProcess.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

using lumeward::test::linesOf;
using lumeward::test::LoopbackServer;
using lumeward::test::readFile;
using lumeward::test::RunResult;
using lumeward::test::TempDir;

namespace {

// Runs lumeward-batch as a child process.
RunResult runProgram(const std::vector<std::string>& args) {
    return lumeward::test::runProgram(LUMEWARD_BATCH_PROGRAM, args);
}

const std::string kRssFeed = R"(<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0"><channel><title>Channel</title><link>http://example.com/</link>
<item><title>First &amp; "quoted"</title><link>http://example.com/1?a=1&amp;b=2</link>
<description>&lt;p&gt;Caf&#233; &lt;b&gt;bold&lt;/b&gt;&lt;/p&gt;</description></item>
<item><title>Second</title><link>http://example.com/2</link>
<description>Line one
Line	two \ end</description></item>
</channel></rss>)";

const std::string kRssLine =
    R"({"feed":"URL","ok":true,"type":1,"typeName":"RSS","status":200,"statusText":"OK",)"
    R"("errorCode":0,"errorDesc":"","items":[)"
    R"({"url":"http://example.com/1?a=1&b=2","title":"First & \"quoted\"","description":"Café bold"},)"
    R"({"url":"http://example.com/2","title":"Second","description":"Line one\nLine\ttwo \\ end"}]})";

const std::string kRdfFeed = R"(<?xml version="1.0"?>
<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#" xmlns="http://purl.org/rss/1.0/">
<channel rdf:about="http://example.org/"><title>R</title><link>http://example.org/</link>
<description>d</description></channel>
<item rdf:about="http://example.org/a"><title>RDF item</title><link>http://example.org/a</link>
<description>Plain &lt;i&gt;text&lt;/i&gt;</description></item>
</rdf:RDF>)";

const std::string kRdfLine =
    R"({"feed":"URL","ok":true,"type":2,"typeName":"RDF","status":200,"statusText":"OK",)"
    R"("errorCode":0,"errorDesc":"","items":[)"
    R"({"url":"http://example.org/a","title":"RDF item","description":"Plain text"}]})";

const std::string kAtomFeed = R"(<?xml version="1.0" encoding="utf-8"?>
<feed xmlns="http://www.w3.org/2005/Atom"><title>A</title>
<entry><title>Atom entry</title><link rel="alternate" href="http://example.net/e1"/>
<link rel="self" href="http://example.net/self"/>
<content type="html">&lt;p&gt;Hello&lt;/p&gt; world</content></entry>
<entry><title>新闻</title><link rel="edit" href="http://example.net/edit"/>
<link rel="alternate" href="http://example.net/e2"/><content>Second</content></entry>
</feed>)";

const std::string kAtomLine =
    R"({"feed":"URL","ok":true,"type":3,"typeName":"Atom","status":200,"statusText":"OK",)"
    R"("errorCode":0,"errorDesc":"","items":[)"
    R"({"url":"http://example.net/e1","title":"Atom entry","description":"Hello world"},)"
    R"({"url":"http://example.net/e2","title":"新闻","description":"Second"}]})";

std::string withFeed(std::string line, const std::string& url) {
    return line.replace(line.find("URL"), 3, url);
}

class BatchList : public testing::Test {
protected:
    BatchList() {
        m_server.serve("/rss.xml", 200, kRssFeed);
        m_server.serve("/rdf.xml", 200, kRdfFeed);
        m_server.serve("/atom.xml", 200, kAtomFeed, "application/atom+xml");
    }

    std::string url(std::string_view path) const { return m_server.url(path); }

    LoopbackServer m_server;
};

}  // namespace

TEST_F(BatchList, PrintsOneExactLinePerFeedInOrder) {
    const auto result = runProgram({"list", url("/rss.xml"), url("/rdf.xml"), url("/atom.xml")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, withFeed(kRssLine, url("/rss.xml")) + "\n" +
                              withFeed(kRdfLine, url("/rdf.xml")) + "\n" +
                              withFeed(kAtomLine, url("/atom.xml")) + "\n");
}

TEST_F(BatchList, ReportsAFailedReadAndExitsWithOne) {
    const auto missing = url("/missing");
    const auto result = runProgram({"list", url("/rss.xml"), missing, url("/atom.xml")});
    EXPECT_EQ(result.status, 1);
    const auto lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), 3u) << result.out;
    EXPECT_EQ(lines[0], withFeed(kRssLine, url("/rss.xml")));
    const std::string failedStart = R"({"feed":")" + missing +
                                    R"(","ok":false,"type":0,"typeName":"Unknown / None",)"
                                    R"("status":404,"statusText":"Not Found","errorCode":)";
    EXPECT_TRUE(lines[1].starts_with(failedStart)) << lines[1];
    EXPECT_TRUE(lines[1].ends_with(R"(,"items":[]})")) << lines[1];
    // The failure does not stop the feeds after it, nor carry into them.
    EXPECT_EQ(lines[2], withFeed(kAtomLine, url("/atom.xml")));
}

TEST_F(BatchList, ExpandsAnAddressFileInPlace) {
    const TempDir dir;
    const auto file = dir.write("feeds.txt", url("/rss.xml") + "\r\n" + url("/rdf.xml") + "\r\n");
    const auto result =
        runProgram({"list", url("/atom.xml"), "@" + file.string(), url("/rss.xml")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, withFeed(kAtomLine, url("/atom.xml")) + "\n" +
                              withFeed(kRssLine, url("/rss.xml")) + "\n" +
                              withFeed(kRdfLine, url("/rdf.xml")) + "\n" +
                              withFeed(kRssLine, url("/rss.xml")) + "\n");
}

TEST_F(BatchList, StopsBeforeAnyReadWhenAnAddressFileIsMissing) {
    const TempDir dir;
    const auto missing = dir.path() / "absent.txt";
    const auto result = runProgram({"list", url("/rss.xml"), "@" + missing.string()});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "lumeward-batch: Cannot read " + missing.string() + ": No such file or directory\n");
    EXPECT_EQ(m_server.hits("/rss.xml"), 0);
}

TEST_F(BatchList, WritesEachLineBeforeReadingTheNextFeed) {
    const TempDir dir;
    const auto outFile = dir.path() / "stdout";
    std::atomic<bool> firstLineWasOut = false;
    m_server.handle("/later.xml", [&](const httplib::Request&, httplib::Response& response) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!firstLineWasOut && std::chrono::steady_clock::now() < deadline) {
            firstLineWasOut = readFile(outFile).find('\n') != std::string::npos;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        response.set_content(kRdfFeed, "application/xml");
    });
    const int status = lumeward::test::runProgramTo(LUMEWARD_BATCH_PROGRAM,
                                                    {"list", url("/rss.xml"), url("/later.xml")},
                                                    outFile, dir.path() / "stderr");
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(firstLineWasOut);
    EXPECT_EQ(linesOf(readFile(outFile)).size(), 2u);
}

TEST_F(BatchList, FailsWhenTheOutputCannotBeWritten) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full on this system";
    }
    const TempDir dir;
    const int status = lumeward::test::runProgramTo(
        LUMEWARD_BATCH_PROGRAM, {"list", url("/rss.xml")}, "/dev/full", dir.path() / "stderr");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(readFile(dir.path() / "stderr"), "lumeward-batch: cannot write the output\n");
}

TEST(BatchUsage, RejectsMissingOrUnknownArgumentsWithStatusTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"frobnicate", "http://127.0.0.1/"},
        {"LIST", "http://127.0.0.1/"},
        {"list"},
        {"--list"},
        {"--help", "list"},
        {"--version", "x"},
    };
    for (const auto& args : cases) {
        const auto result = runProgram(args);
        const auto shown = testing::PrintToString(args);
        EXPECT_EQ(result.status, 2) << shown;
        EXPECT_EQ(result.out, "") << shown;
        EXPECT_TRUE(result.err.starts_with("lumeward-batch: ")) << shown << result.err;
        EXPECT_TRUE(result.err.ends_with("Try 'lumeward-batch --help' for more information.\n"))
            << shown << result.err;
    }
}

TEST(BatchUsage, PrintsHelpAndVersionOnStandardOutput) {
    const auto help = runProgram({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_TRUE(help.out.starts_with("Usage: lumeward-batch list ADDRESS...\n")) << help.out;
    EXPECT_NE(help.out.find("@FILE"), std::string::npos) << help.out;

    const auto version = runProgram({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.err, "");
    EXPECT_EQ(version.out, "lumeward-batch " LUMEWARD_VERSION "\n");
}
