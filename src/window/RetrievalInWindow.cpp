#include "window/RetrievalInWindow.h"

#include <optional>

#include "window/ListModel.h"
#include "window/ListView.h"
#include "window/StatusText.h"

namespace lumeward::window {

namespace {

// The address list's outcome column.
constexpr int kStatusColumn = 1;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

qsizetype itemIndex(std::size_t index) {
    return static_cast<qsizetype>(index) + 1;
}

std::optional<memory::SuggestedAddress> suggestionOf(const workflows::FeedStatus& status) {
    using Reason = memory::SuggestedAddress::Reason;
    if (!status.movedTo.empty()) {
        return memory::SuggestedAddress{Reason::Moved, status.movedTo};
    }
    if (!status.foundAt.empty()) {
        return memory::SuggestedAddress{Reason::Found, status.foundAt};
    }
    return std::nullopt;
}

}  // namespace

RetrievalInWindow::RetrievalInWindow(ListView& addresses, ListView& results,
                                     workflows::RetrievalLimits limits, workflows::RunMemory memory,
                                     QObject* parent)
    : QObject(parent),
      m_addresses(addresses),
      m_results(results),
      m_feedCount(static_cast<std::size_t>(addresses.count())),
      m_rowsOfFeeds(m_feedCount) {
    std::vector<std::string> list;
    for (qsizetype i = 1; i <= m_addresses.count(); ++i) {
        list.push_back(m_addresses.text(i).toStdString());
        m_addresses.setSubItem(i, kStatusColumn, waitingText());
        m_addresses.setItemToolTip(i, {});
    }
    m_results.clear();
    m_run = std::make_unique<workflows::RetrievalRun>(
        std::move(list), limits,
        workflows::RetrievalRun::Handlers{
            .started = [this](std::size_t index) { post(Started{index}); },
            .finished = [this](workflows::FeedRead read) { post(std::move(read)); }},
        std::move(memory));
}

RetrievalInWindow::~RetrievalInWindow() {
    m_run.reset();
}

void RetrievalInWindow::stop() {
    if (m_run) {
        m_stopped = true;
        m_run->stop();
    }
}

void RetrievalInWindow::post(Event event) {
    std::lock_guard lock(m_mutex);
    m_posted.push_back(std::move(event));
    // One application per turn of the event loop, however many reads end in it.
    if (!m_applyQueued) {
        m_applyQueued = true;
        QMetaObject::invokeMethod(this, &RetrievalInWindow::applyPosted, Qt::QueuedConnection);
    }
}

void RetrievalInWindow::applyPosted() {
    std::vector<Event> events;
    {
        std::lock_guard lock(m_mutex);
        events.swap(m_posted);
        m_applyQueued = false;
    }
    for (Event& event : events) {
        std::visit([this](auto& posted) { apply(posted); }, event);
    }
    if (m_newestRow > 0) {
        m_results.ensureVisible(static_cast<qsizetype>(m_newestRow));
    }
    if (m_done == feedCount() && m_run) {
        m_run.reset();  // its threads have nothing left to do
        emit finished();
    }
}

void RetrievalInWindow::apply(const Started& started) {
    m_addresses.setSubItem(itemIndex(started.index), kStatusColumn, readingText());
}

void RetrievalInWindow::apply(workflows::FeedRead& read) {
    const workflows::FeedStatus status = workflows::describeRead(read);
    const auto [summary, detail] = statusText(status);
    const qsizetype address = itemIndex(read.index);
    m_addresses.setSubItem(address, kStatusColumn, summary);
    m_addresses.setItemToolTip(address, detail);
    // Offered in the address's menu, never put in place by itself; what an
    // earlier read suggested is stale now.
    m_addresses.setSuggested(address, suggestionOf(status));
    emit addressRead(address);
    ++m_done;
    if (!read.ok) {
        ++m_failed;
    }
    emit progressed(static_cast<double>(m_done) / static_cast<double>(feedCount()) * 100.0);
    std::vector<ListRow> rows;
    for (const auto& row : workflows::rowsOf(read)) {
        rows.push_back(
            {fromUtf8(row.feed),
             {fromUtf8(row.title), fromUtf8(row.description), fromUtf8(row.url)},
             true,
             {},
             row.date ? QDateTime::fromSecsSinceEpoch(row.date->time_since_epoch().count(), Qt::UTC)
                      : QDateTime(),
             row.id});
    }
    if (rows.empty()) {
        return;
    }
    // After the rows of every feed listed before it that is in already.
    const std::size_t before = m_rowsOfFeeds.before(read.index);
    m_rowsOfFeeds.add(read.index, rows.size());
    m_newestRow = before + rows.size();
    m_results.insert(static_cast<qsizetype>(before) + 1, std::move(rows));
}

}  // namespace lumeward::window
