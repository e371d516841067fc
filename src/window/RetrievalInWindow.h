#pragma once

#include <QObject>

#include <cstddef>
#include <memory>
#include <mutex>
#include <variant>
#include <vector>

#include "window/FeedRowCounts.h"
#include "workflows/RetrievalRun.h"
#include "workflows/RunMemory.h"

namespace lumeward::window {

class ListView;

// A retrieval run as the window shows it. The feeds are read on the run's own
// threads; each outcome is applied here, on the window's thread: the address
// list's "Status" column, the feed's result rows at their final place, the
// progress. Whatever order the reads end in, the rows end up as a
// one-at-a-time run would leave them.
class RetrievalInWindow : public QObject {
    Q_OBJECT

public:
    // Reads every address of `addresses` into `results`, which it clears first.
    RetrievalInWindow(ListView& addresses, ListView& results, workflows::RetrievalLimits limits,
                      workflows::RunMemory memory, QObject* parent = nullptr);
    // Stops the run; waits half a second at most for its reads in flight.
    ~RetrievalInWindow() override;

    // Transfers in flight end within a second, addresses not yet read are
    // marked so; `finished` follows as usual.
    void stop();

    // An address's Status before and while it is read.
    static QString waitingText() { return tr("Waiting"); }
    static QString readingText() { return tr("Reading"); }

    std::size_t feedCount() const { return m_feedCount; }
    std::size_t failedCount() const { return m_failed; }
    bool wasStopped() const { return m_stopped; }

signals:
    // After each feed, from 0 to 100 in steps of one feed.
    void progressed(double percent);
    // The address at index (from 1) shows the outcome of its read.
    void addressRead(qsizetype index);
    // Once every address has its outcome.
    void finished();

private:
    struct Started {
        std::size_t index;
    };
    using Event = std::variant<Started, workflows::FeedRead>;

    // Called on the run's threads.
    void post(Event event);
    // Applies everything posted since the last turn of the event loop.
    void applyPosted();
    void apply(const Started& started);
    void apply(workflows::FeedRead& read);

    ListView& m_addresses;
    ListView& m_results;
    std::size_t m_feedCount = 0;
    FeedRowCounts m_rowsOfFeeds;
    std::size_t m_done = 0;
    std::size_t m_failed = 0;
    std::size_t m_newestRow = 0;  // the last row added, 1-based; 0 for none
    bool m_stopped = false;

    std::mutex m_mutex;
    std::vector<Event> m_posted;
    bool m_applyQueued = false;

    std::unique_ptr<workflows::RetrievalRun> m_run;  // last: its threads post to the members above
};

}  // namespace lumeward::window
