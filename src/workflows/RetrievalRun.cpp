#include "workflows/RetrievalRun.h"

#include <cstdint>

#include "feed/FeedReader.h"

namespace lumeward::workflows {

void runRetrieval(RetrievalTarget& target) {
    target.clearRows();
    feed::FeedReader reader;
    const std::size_t count = target.addressCount();
    // Addresses removed while events ran are not read: their index no longer exists.
    for (std::size_t i = 1; i <= count && i <= target.addressCount(); ++i) {
        target.markBusy();
        const std::string address = target.address(i);
        std::int32_t lType = feed::kUnknownFeed;
        // A failed read leaves no items; the run goes on with the next address.
        const bool ok = reader.ReadFeed(address, {}, {}, lType, false);
        target.feedRead({address, ok, ok ? std::string() : describeFailedRead(reader)});
        const auto items = reader.FeedItems();
        for (const auto& item : *items) {
            if (!target.yieldToEvents()) {
                return;
            }
            target.addRow({address, item.Title(), item.Description(), item.URL()});
        }
        target.markBusy();
        // The list may have changed while events ran, so the count is read afresh.
        const std::size_t current = target.addressCount();
        if (current > 0) {
            target.setProgress(static_cast<double>(i) / static_cast<double>(current) * 100.0);
        }
    }
}

std::string describeFailedRead(const feed::FeedReader& reader) {
    const std::int32_t status = reader.LastHTTPStatus();
    if (status != 0 && status != 200) {
        std::string text = "HTTP " + std::to_string(status);
        if (!reader.LastHTTPStatusText().empty()) {
            text += ' ' + reader.LastHTTPStatusText();
        }
        return text;
    }
    if (!reader.LastErrorDesc().empty()) {
        return reader.LastErrorDesc();
    }
    return "Not an RSS, RDF or Atom feed";
}

}  // namespace lumeward::workflows
