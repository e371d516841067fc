#include "workflows/RetrievalRun.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/LoopbackServer.h"

using lumeward::test::LoopbackServer;
using lumeward::workflows::RetrievalTarget;
using lumeward::workflows::RetrievedRow;
using lumeward::workflows::runRetrieval;

namespace {

// Records every call the run makes, in order, as a short word.
class RecordingTarget : public RetrievalTarget {
public:
    explicit RecordingTarget(std::vector<std::string> addresses)
        : m_addresses(std::move(addresses)) {}

    std::size_t addressCount() const override { return m_addresses.size(); }
    // Throws for an index outside the list, as the window's list cannot answer it either.
    std::string address(std::size_t index) const override { return m_addresses.at(index - 1); }
    void clearRows() override {
        calls.push_back("clear");
        rows.clear();
    }
    void addRow(const RetrievedRow& row) override {
        calls.push_back("row");
        rows.push_back(row);
    }
    void setProgress(double percent) override {
        calls.push_back("progress");
        progress.push_back(percent);
    }
    bool yieldToEvents() override {
        calls.push_back("yield");
        return onYield ? onYield(*this) : true;
    }
    void markBusy() override { calls.push_back("busy"); }

    void removeAddress(std::size_t index) {
        m_addresses.erase(m_addresses.begin() + static_cast<std::ptrdiff_t>(index - 1));
    }

    std::vector<std::string> calls;
    std::vector<RetrievedRow> rows;
    std::vector<double> progress;
    std::function<bool(RecordingTarget&)> onYield;

private:
    std::vector<std::string> m_addresses;
};

const std::string kTwoItemFeed = R"(<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0"><channel><title>Channel</title>
<item><title>First</title><link>http://example.com/1</link>
<description>&lt;b&gt;One&lt;/b&gt; text</description></item>
<item><title>Second</title><link>http://example.com/2</link>
<description>Two</description></item>
</channel></rss>)";

const std::string kAtomFeed = R"(<?xml version="1.0" encoding="utf-8"?>
<feed xmlns="http://www.w3.org/2005/Atom"><title>A</title>
<entry><title>Atom entry</title><link rel="alternate" href="http://example.net/e1"/>
<content>Body</content></entry>
</feed>)";

void expectRow(const RetrievedRow& row, const std::string& feed, const std::string& title,
               const std::string& description, const std::string& url) {
    EXPECT_EQ(row.feed, feed);
    EXPECT_EQ(row.title, title);
    EXPECT_EQ(row.description, description);
    EXPECT_EQ(row.url, url);
}

class RetrievalRun : public testing::Test {
protected:
    RetrievalRun() {
        m_server.serve("/good.xml", 200, kTwoItemFeed);
        m_server.serve("/atom.xml", 200, kAtomFeed);
    }

    std::string url(std::string_view path) const { return m_server.url(path); }

    LoopbackServer m_server;
};

}  // namespace

TEST_F(RetrievalRun, AddsEveryItemInOrderAndSkipsAFailedFeed) {
    const auto good = url("/good.xml");
    const auto missing = url("/missing.xml");
    RecordingTarget target({good, missing, good});
    runRetrieval(target);

    ASSERT_EQ(target.rows.size(), 4u);
    for (const std::size_t first : {0u, 2u}) {
        expectRow(target.rows[first], good, "First", "One text", "http://example.com/1");
        expectRow(target.rows[first + 1], good, "Second", "Two", "http://example.com/2");
    }
    ASSERT_EQ(target.progress.size(), 3u);
    EXPECT_DOUBLE_EQ(target.progress[0], 100.0 / 3.0);
    EXPECT_DOUBLE_EQ(target.progress[1], 200.0 / 3.0);
    EXPECT_DOUBLE_EQ(target.progress[2], 100.0);
    EXPECT_GE(m_server.hits("/missing.xml"), 1);
}

TEST_F(RetrievalRun, ClearsFirstAndYieldsBeforeEachRow) {
    RecordingTarget target({url("/good.xml"), url("/missing.xml"), url("/atom.xml")});
    runRetrieval(target);
    const std::vector<std::string> expected = {
        "clear", "busy", "yield",    "row",  "yield", "row", "busy", "progress",
        "busy",  "busy", "progress", "busy", "yield", "row", "busy", "progress",
    };
    EXPECT_EQ(target.calls, expected);
}

TEST_F(RetrievalRun, ASecondRunReplacesTheRows) {
    RecordingTarget target({url("/good.xml")});
    runRetrieval(target);
    runRetrieval(target);
    ASSERT_EQ(target.rows.size(), 2u);
    EXPECT_EQ(target.rows[0].title, "First");
    EXPECT_EQ(target.rows[1].title, "Second");
    EXPECT_EQ(m_server.hits("/good.xml"), 2);
}

TEST_F(RetrievalRun, StopsAtOnceWhenYieldingSaysSo) {
    RecordingTarget target({url("/good.xml"), url("/atom.xml")});
    int yields = 0;
    target.onYield = [&yields](RecordingTarget&) { return ++yields < 2; };
    runRetrieval(target);
    ASSERT_EQ(target.rows.size(), 1u);
    EXPECT_EQ(target.rows[0].title, "First");
    EXPECT_TRUE(target.progress.empty());
    EXPECT_EQ(target.calls.back(), "yield");
    EXPECT_EQ(m_server.hits("/atom.xml"), 0);
}

TEST_F(RetrievalRun, AnEmptyListClearsTheRowsAndReportsNoProgress) {
    RecordingTarget target({});
    target.rows.push_back({"old", "old", "old", "old"});
    runRetrieval(target);
    EXPECT_TRUE(target.rows.empty());
    EXPECT_EQ(target.calls, std::vector<std::string>{"clear"});
    EXPECT_TRUE(m_server.requests().empty());
}

TEST_F(RetrievalRun, ProgressFollowsAListThatShrinksDuringTheRun) {
    const auto good = url("/good.xml");
    const auto atom = url("/atom.xml");
    RecordingTarget target({good, atom, atom, atom});
    bool removed = false;
    target.onYield = [&removed](RecordingTarget& self) {
        if (!removed) {
            self.removeAddress(4);
            removed = true;
        }
        return true;
    };
    runRetrieval(target);
    // Feed 1 of the 3 left, then 2 and 3 of 3; the removed fourth is not read.
    ASSERT_EQ(target.progress.size(), 3u);
    EXPECT_DOUBLE_EQ(target.progress[0], 100.0 / 3.0);
    EXPECT_DOUBLE_EQ(target.progress[1], 200.0 / 3.0);
    EXPECT_DOUBLE_EQ(target.progress[2], 100.0);
    EXPECT_EQ(target.rows.size(), 4u);
    EXPECT_EQ(m_server.hits("/atom.xml"), 2);
}

TEST_F(RetrievalRun, SkipsProgressWhenTheListWasEmptiedDuringTheRun) {
    RecordingTarget target({url("/good.xml")});
    target.onYield = [](RecordingTarget& self) {
        if (self.addressCount() > 0) {
            self.removeAddress(1);
        }
        return true;
    };
    runRetrieval(target);
    EXPECT_EQ(target.rows.size(), 2u);
    EXPECT_TRUE(target.progress.empty());
}
