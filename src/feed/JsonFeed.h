#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "feed/ItemDates.h"

namespace lumeward::feed {

// One item of a JSON Feed as the feed writes it, before the reader's text rules.
struct JsonFeedEntry {
    std::string id;  // a number as its JSON text
    std::string url;
    std::string title;
    std::string description;
    bool descriptionIsHtml = false;  // from content_html, not from plain text
    std::optional<ItemDate> date;
};

// A body read as JSON: whether it names JSON Feed 1 or 1.1 and the items it holds,
// or why it is not valid JSON.
struct JsonFeedBody {
    bool namesJsonFeed = false;
    std::vector<JsonFeedEntry> entries;
    // "Not valid JSON: ..." with the byte where the text goes wrong; empty once parsed.
    std::string loadError;

    bool parsed() const { return loadError.empty(); }
};

// True when the text starts as a JSON object: such a body is read as JSON, whatever
// its Content-Type says.
bool isJsonBody(std::string_view text);

// Reads a JSON object (jsonfeed.org, versions 1 and 1.1). Each object of "items", in
// order, gives: id from "id" (a string, or a number as written); URL from "url", else
// "external_url"; title from "title"; description from "content_html", else
// "content_text", else "summary"; date from "date_published", else "date_modified".
// Fields missing or of another type are empty. Nesting deeper than kMaxJsonDepth
// levels fails; time and memory grow linearly with the text.
JsonFeedBody readJsonFeed(std::string&& text);

inline constexpr std::size_t kMaxJsonDepth = 1024;

}  // namespace lumeward::feed
