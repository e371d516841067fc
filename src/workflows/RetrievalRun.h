#pragma once

#include <cstddef>
#include <string>

namespace lumeward::feed {
class FeedReader;
}

namespace lumeward::workflows {

// One item retrieved, as a result row shows it. Texts are UTF-8.
struct RetrievedRow {
    std::string feed;  // the feed address exactly as listed
    std::string title;
    std::string description;
    std::string url;
};

// How the read of one listed address ended.
struct FeedOutcome {
    std::string address;
    bool ok = false;
    std::string failure;  // what went wrong, in a few words; empty when ok
};

// What the retrieval run works on: the window, or lumeward-batch.
class RetrievalTarget {
public:
    virtual ~RetrievalTarget() = default;

    // The current number of listed feed addresses, and address i (1-based).
    virtual std::size_t addressCount() const = 0;
    virtual std::string address(std::size_t index) const = 0;
    // Removes every result row.
    virtual void clearRows() = 0;
    // Appends a checked result row and brings it into view.
    virtual void addRow(const RetrievedRow& row) = 0;
    // Progress from 0 to 100, unrounded.
    virtual void setProgress(double percent) = 0;
    // Lets the window handle pending events; false when the run should stop
    // (the window is closing).
    virtual bool yieldToEvents() = 0;
    // Called before each feed is read; the window shows its busy pointer.
    virtual void markBusy() {}
    // Called after each feed is read, before its rows are added.
    virtual void feedRead(const FeedOutcome&) {}
};

// Reads every listed address in order with one FeedReader (empty credentials,
// kind recognised anew, HTML removed) and appends one row per item, yielding
// before each row. Clears the rows first. Progress after feed i of n is
// i / (current address count) * 100.
void runRetrieval(RetrievalTarget& target);

// Why a read that returned false failed, in a few words: the HTTP status when the
// server answered with another than 200, else the reader's error text.
std::string describeFailedRead(const feed::FeedReader& reader);

}  // namespace lumeward::workflows
