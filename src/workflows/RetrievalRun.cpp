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
        reader.ReadFeed(address, {}, {}, lType, false);
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

}  // namespace lumeward::workflows
