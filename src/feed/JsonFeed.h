#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "feed/ItemDates.h"

namespace lumeward::feed {

// One item of a JSON Feed as the feed writes it, before the reader's text rules. The
// views point into the body and last as long as it does.
struct JsonFeedEntry {
    std::string id;  // a number as its JSON text
    std::string_view url;
    std::string_view title;
    std::string_view description;
    bool descriptionIsHtml = false;  // from content_html, not from plain text
    std::optional<ItemDate> date;
};

inline constexpr std::size_t kMaxJsonDepth = 1024;

// True when the text starts as a JSON object: such a body is read as JSON, whatever
// its Content-Type says.
bool isJsonBody(std::string_view text);

// A body read as JSON (jsonfeed.org, versions 1 and 1.1), or why it is not valid JSON.
// Nesting deeper than kMaxJsonDepth levels fails; time and memory grow linearly with
// the text.
class JsonFeedBody {
public:
    explicit JsonFeedBody(std::string&& text);
    ~JsonFeedBody();
    JsonFeedBody(JsonFeedBody&&) noexcept;
    JsonFeedBody& operator=(JsonFeedBody&&) noexcept;

    bool parsed() const { return m_loadError.empty(); }
    // "Not valid JSON: ..." with the byte where the text goes wrong; empty once parsed.
    const std::string& loadError() const { return m_loadError; }
    // Whether "version" names JSON Feed 1 or 1.1.
    bool namesJsonFeed() const;

    // Calls visit with each object of "items", in order: id from "id" (a string, or a
    // number as written); URL from "url", else "external_url"; title from "title";
    // description from "content_html", else "content_text", else "summary"; date from
    // "date_published", else "date_modified". Fields missing or of another type are empty.
    void forEachEntry(const std::function<void(const JsonFeedEntry&)>& visit) const;

private:
    struct Document;
    std::unique_ptr<Document> m_document;  // none when the text did not parse
    std::string m_loadError;
};

}  // namespace lumeward::feed
