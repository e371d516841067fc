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
        // JSON escapes can name characters the body's cleaning never saw ("\u0000"):
        // each text is cleaned as XML text is.
        const auto clean = [this](std::string_view text) {
            return CleanFeedText(std::string(text));
        };
        body.forEachEntry([&](const JsonFeedEntry& entry) {
            FeedItem item = NewItem(clean(entry.id), clean(entry.url), clean(entry.title), {},
                                    entry.date, bAllowHTML);
            // Plain text is kept as written: only HTML has mark-up to remove.
            item.Description(entry.descriptionIsHtml && !bAllowHTML
                                 ? StripHTML(clean(entry.description))
                                 : clean(entry.description));
            m_items->push_back(std::move(item));
        });
        return true;
    } catch (...) {
        RecordCurrentException();
    }
    return false;
}

}  // namespace lumeward::feed
