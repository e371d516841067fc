// How a JSON body becomes items: kind recognition and the reader's text rules.
#include "feed/FeedReader.h"
#include "feed/JsonFeed.h"

namespace lumeward::feed {

bool FeedReader::ParseJsonFeedItems(const JsonFeedBody& body, std::int32_t& lType,
                                    bool bAllowHTML) {
    try {
        if (lType == kUnknownFeed && body.namesJsonFeed()) {
            lType = kJsonFeed;
        }
        m_feedType = lType;
        if (lType != kJsonFeed) {
            return false;
        }
        body.forEachEntry([&](const JsonFeedEntry& entry) {
            FeedItem item = NewItem(std::string(entry.url), std::string(entry.title), {},
                                    entry.date, bAllowHTML);
            // Plain text is kept as written: only HTML has mark-up to remove.
            item.Description(entry.descriptionIsHtml && !bAllowHTML
                                 ? StripHTML(entry.description)
                                 : std::string(entry.description));
            item.Id(entry.id);
            m_items->push_back(std::move(item));
        });
        return true;
    } catch (...) {
        RecordCurrentException();
    }
    return false;
}

}  // namespace lumeward::feed
