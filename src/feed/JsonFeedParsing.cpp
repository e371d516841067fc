// How a JSON body becomes items: kind recognition and the reader's text rules.
#include "feed/FeedReader.h"
#include "feed/JsonFeed.h"

namespace lumeward::feed {

bool FeedReader::ParseJsonFeedItems(JsonFeedBody&& body, std::int32_t& lType, bool bAllowHTML) {
    try {
        if (lType == kUnknownFeed && body.namesJsonFeed) {
            lType = kJsonFeed;
        }
        m_feedType = lType;
        if (lType != kJsonFeed) {
            return false;
        }
        m_items->reserve(m_items->size() + body.entries.size());
        for (auto& entry : body.entries) {
            // Plain text is kept as written: only HTML has mark-up to remove.
            const bool keepText = bAllowHTML || !entry.descriptionIsHtml;
            FeedItem item = NewItem(std::move(entry.url), std::move(entry.title),
                                    keepText ? std::string() : std::move(entry.description),
                                    entry.date, bAllowHTML);
            if (keepText) {
                item.Description(std::move(entry.description));
            }
            item.Id(std::move(entry.id));
            m_items->push_back(std::move(item));
        }
        return true;
    } catch (...) {
        RecordCurrentException();
    }
    return false;
}

}  // namespace lumeward::feed
