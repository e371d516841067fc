#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "feed/ItemDates.h"
#include "memory/Clock.h"
#include "workflows/RunMemory.h"

namespace lumeward::feed {
class ComponentRegistry;
class FeedReader;
}  // namespace lumeward::feed

namespace lumeward::workflows {

// One item retrieved, as a result row shows it. Texts are UTF-8.
struct RetrievedRow {
    std::string feed;  // the feed address exactly as listed
    std::string title;
    std::string description;
    std::string url;
    std::optional<feed::ItemDate> date = std::nullopt;
    std::string id = {};  // the feed's id of the item; empty when it gives none
};

// How many addresses a run reads at once, in all and from one host, and how
// far it reads ahead of the read its consumer takes next.
struct RetrievalLimits {
    std::size_t jobs = 8;
    std::size_t perServer = 2;
    // With a bound, no address starts this many places or more past the next
    // read to be handed over (see RetrievalRun::handedOverBefore); 0 for none.
    std::size_t readAhead = 0;
};

// The read of one listed address, as a run hands it over.
struct FeedRead {
    FeedRead();
    FeedRead(std::size_t place, std::string text, bool succeeded,
             std::unique_ptr<feed::FeedReader> used);
    // Out of line, where the reader is a complete type.
    ~FeedRead();
    FeedRead(FeedRead&&) noexcept;
    FeedRead& operator=(FeedRead&&) noexcept;

    std::size_t index = 0;  // place in the list, from 0
    std::string address;
    bool ok = false;
    // What the read found and why it failed; none when the run was stopped
    // before the address was read.
    std::unique_ptr<feed::FeedReader> reader;
    // The server had asked to wait until then, so it was not asked.
    std::optional<memory::TimePoint> heldUntil;
};

// A read's outcome for the address list: a few words, and the whole story, in
// English; kind and items let a window put them into the user's language.
struct FeedStatus {
    enum class Kind {
        Items,         // read: `items` items
        NotRead,       // the run was stopped before the address was read
        ServerAnswer,  // the server's status line, in the protocol's own words
        Failure,       // why the read failed, in a few words
    };

    std::string summary;  // "20 items", "HTTP 404 Not Found", "Timed out", ...
    std::string detail;   // the reader's full error or status text; empty when ok
    Kind kind = Kind::Failure;
    std::size_t items = 0;
    // What the memory of earlier runs adds, for a window to word: the items
    // are the kept copy, unchanged since; a server asked to wait until this
    // local time ("14:05"), so it was not asked; the feed moved for good; the
    // address gave a web page, and the feed it names was read.
    bool notChanged = false;
    std::string waitUntil{};
    std::string movedTo{};
    std::string foundAt{};
};

// Reads a list of addresses side by side, each with its own FeedReader (empty
// credentials, kind recognised anew, HTML removed): at most limits.jobs at
// once and limits.perServer from one host (redirects count against the host
// listed), starting them in list order, with what memory keeps of earlier runs. The handlers run on
// the run's own threads, one call at a time; finished is called exactly once per address, also for
// those a stop leaves unread, and never once the run is destroyed.
class RetrievalRun {
public:
    struct Handlers {
        std::function<void(std::size_t index)> started;
        std::function<void(FeedRead read)> finished;
    };

    RetrievalRun(std::vector<std::string> addresses, RetrievalLimits limits, Handlers handlers,
                 RunMemory memory = {},
                 std::shared_ptr<const feed::ComponentRegistry> registry = nullptr);
    // Stops, and gives the reads in flight a moment to end. A read that has
    // not ended by then (a name lookup cannot be cut short) is left to end on
    // its own thread, and its outcome is dropped.
    ~RetrievalRun();
    RetrievalRun(const RetrievalRun&) = delete;
    RetrievalRun& operator=(const RetrievalRun&) = delete;

    // Returns at once. Addresses not yet started are handed over unread at
    // once; reads in flight end, or are handed over as stopped, within half a
    // second. Call it from the owner's thread.
    void stop();

    // Every read before `index` has reached its consumer: with a bounded
    // read-ahead, addresses up to limits.readAhead places past it may start.
    void handedOverBefore(std::size_t index);

private:
    struct Shared;

    // Lives as long as the longest of the run and its threads.
    std::shared_ptr<Shared> m_shared;
    std::vector<std::jthread> m_workers;
    std::jthread m_stopWatch;
};

// Reads the addresses as a RetrievalRun does and hands each read to consume on
// the calling thread, in list order, as soon as it and every read before it
// are done. Unless the limits say otherwise, the run reads at most four
// addresses per job ahead of the one consumed next, so a slow early feed
// does not make it hold the rest of the list.
void readInOrder(std::vector<std::string> addresses, RetrievalLimits limits,
                 const std::function<void(FeedRead&)>& consume, RunMemory memory = {});

// The result rows of a read, one per item in feed order.
std::vector<RetrievedRow> rowsOf(const FeedRead& read);

// The Status of a read: "20 items"; "20 items, not changed" after a 304;
// "Moved to NEW ADDRESS" when the feed moved for good; "20 items, kept copy: the
// server asked to wait until 14:05" when it was not asked; the failure otherwise.
FeedStatus describeRead(const FeedRead& read);

// Where a feed that was read has moved for good; empty when it has not, or
// when it could not be read. Never applied by the run itself.
std::string movedTo(const FeedRead& read);

}  // namespace lumeward::workflows
