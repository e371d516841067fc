#include "workflows/RetrievalRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "support/LoopbackServer.h"

using Calls = std::vector<std::string>;

namespace {

// Writes down each call of a run: rows by the file name of their feed, progress in hundredths
// of a percent. It can stop the run at a given yield, or drop the last address at the first.
struct RecordingTarget : lumeward::workflows::RetrievalTarget {
    Calls addresses;
    bool shrink;
    long stopAtYield;
    Calls calls;

    RecordingTarget(Calls list, bool shrinking, long stopAt)
        : addresses(std::move(list)), shrink(shrinking), stopAtYield(stopAt) {}
    std::size_t addressCount() const override { return addresses.size(); }
    // Throws for an index outside the list, as the window's list cannot answer it either.
    std::string address(std::size_t index) const override { return addresses.at(index - 1); }
    void clearRows() override { calls.push_back("clear"); }
    void addRow(const lumeward::workflows::RetrievedRow& row) override {
        calls.push_back(row.feed.substr(row.feed.rfind('/') + 1) + ": " + row.title + ", " +
                        row.description + ", " + row.url);
    }
    void setProgress(double percent) override {
        calls.push_back("progress " + std::to_string(std::lround(percent * 100)));
    }
    bool yieldToEvents() override {
        calls.push_back("yield");
        if (std::exchange(shrink, false)) {
            addresses.pop_back();
        }
        return std::count(calls.begin(), calls.end(), "yield") != stopAtYield;
    }
    void markBusy() override { calls.push_back("busy"); }
};

class RetrievalRun : public testing::Test {
protected:
    RetrievalRun() {
        server.serve("/feed", 200, R"(<rss version="2.0"><channel><title>C</title><item>
<title>First</title><link>http://e/1</link><description>&lt;b&gt;One&lt;/b&gt;</description>
</item><item><title>Second</title><link>http://e/2</link></item></channel></rss>)");
    }

    Calls run(Calls addresses, bool shrink = false, long stopAtYield = 0) {
        RecordingTarget target(std::move(addresses), shrink, stopAtYield);
        lumeward::workflows::runRetrieval(target);
        return target.calls;
    }

    lumeward::test::LoopbackServer server;
    // Two addresses of the same feed, and the rows of its items.
    const std::string a = server.url("/feed"), b = a + "?b", missing = a + "/missing";
    const std::string a1 = "feed: First, One, http://e/1", a2 = "feed: Second, , http://e/2";
    const std::string b1 = "feed?b: First, One, http://e/1", b2 = "feed?b: Second, , http://e/2";
};

}  // namespace

TEST_F(RetrievalRun, AddsEveryItemInOrderYieldingBeforeEachRowAndStopsWhenTold) {
    EXPECT_EQ(run({a, missing, b}), (Calls{"clear", "busy", "yield", a1, "yield", a2, "busy",
                                           "progress 3333", "busy", "busy", "progress 6667", "busy",
                                           "yield", b1, "yield", b2, "busy", "progress 10000"}));
    // Told to stop at the second yield, the run ends at once.
    EXPECT_EQ(run({a, b}, false, 2), (Calls{"clear", "busy", "yield", a1, "yield"}));
}

TEST_F(RetrievalRun, ReadsOnlyAddressesStillListedAndCountsProgressAgainstThem) {
    // The first yield drops the last address.
    EXPECT_EQ(run({a}, true), (Calls{"clear", "busy", "yield", a1, "yield", a2, "busy"}));
    EXPECT_EQ(run({a, a}, true),
              (Calls{"clear", "busy", "yield", a1, "yield", a2, "busy", "progress 10000"}));
}
