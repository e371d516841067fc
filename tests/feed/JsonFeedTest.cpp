// JSON Feed bodies read end to end by the reader from a loopback server: recognition,
// each field and its fallback, the text rules, broken and deep JSON.
#include "feed/FeedReader.h"
#include "feed/JsonFeed.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumeward::feed {
namespace {

std::string feed(const std::string& items,
                 const std::string& version = "https://jsonfeed.org/version/1.1") {
    return "{\"version\":\"" + version + "\",\"title\":\"F\",\"items\":[" + items + "]}";
}

std::string nested(std::size_t levels) {
    return "{\"x\":" + std::string(levels, '[') + std::string(levels, ']');
}

struct Read {
    std::string body;
    std::string expected;
    std::int32_t kind = kUnknownFeed;
    bool allowHtml = false;
    const char* contentType = "application/feed+json";
};

// The outcome and kind, then each item as id | URL | title | description | date, then
// the error.
std::string outcome(const Read& read) {
    test::LoopbackServer server;
    server.serve("/feed", 200, read.body, read.contentType);
    FeedReader reader;
    std::int32_t kind = read.kind;
    const bool ok = reader.ReadFeed(server.url("/feed"), "", "", kind, read.allowHtml);
    std::string seen = (ok ? "read " : "failed ") + reader.FeedTypeString() + "\n";
    for (const FeedItem& item : *reader.FeedItems()) {
        seen += item.Id() + " | " + item.URL() + " | " + item.Title() + " | " + item.Description() +
                " | " + (item.Date() ? formatUtcDate(*item.Date()) : "-") + "\n";
    }
    return seen + "error " + std::to_string(reader.LastErrorCode()) + " " + reader.LastErrorDesc() +
           ".";
}

TEST(JsonFeedReading, ReadsEachFieldAndItsFallback) {
    const std::string full = feed(
        R"({"id":"a1","url":"https://e.org/1","external_url":"x","title":"AT&amp;amp;T","content_html":"<p>a <b>b</b></p><script>x()</script>","content_text":"T","summary":"S","date_published":"2026-12-07T10:00:00+01:00","date_modified":"2020-01-01T00:00:00Z"},)"
        R"({},"not an item",7,)"
        R"({"id":42,"url":3,"external_url":"https://x.org/","content_text":"a <b> &amp; b","summary":"S","date_published":"soon","date_modified":"2026-12-08T00:00:00Z"},)"
        R"({"id":1.5,"summary":"<i>S</i>","date_modified":"2026-12-09"},)"
        R"({"id":true,"title":"caf\u00e9 \ud83d\ude00\u0000\u000b","content_html":""})");
    const std::string items =
        "a1 | https://e.org/1 | AT&amp;T | \na b\n | 2026-12-07T09:00:00Z\n"
        " |  |  |  | -\n"
        "42 | https://x.org/ |  | a <b> &amp; b | 2026-12-08T00:00:00Z\n"
        "1.5 |  |  | <i>S</i> | 2026-12-09T00:00:00Z\n"
        " |  | caf\u00e9 \U0001F600 |  | -\n";
    const std::string notAFeed = "failed Unknown / None\nerror 0 .";
    const std::string failed = "failed Unknown / None\nerror 1003 Not valid JSON: ";
    const std::vector<Read> reads = {
        {full, "read JSON Feed\n" + items + "error 0 ."},
        // With HTML kept, titles and HTML stay as written.
        {full,
         "read JSON Feed\na1 | https://e.org/1 | AT&amp;amp;T | <p>a <b>b</b></p><script>x()"
         "</script> | 2026-12-07T09:00:00Z\n",
         kUnknownFeed, true},
        // Version 1, with http:, as text/plain in a charset it is not in, after white space
        // and a byte-order mark.
        {" \r\n\xEF\xBB\xBF" + feed(R"({"title":"café"})", "http://jsonfeed.org/version/1"),
         "read JSON Feed\n |  | café |  | -\nerror 0 .", kUnknownFeed, false,
         "text/plain; charset=iso-8859-1"},
        {R"({"version":"https://jsonfeed.org/version/1.1"})", "read JSON Feed\nerror 0 ."},
        // Another version, or none, is not recognised; asked for, the items are read.
        {R"({"version":"https://jsonfeed.org/version/2","items":[{"id":"b"}]})", notAFeed},
        {R"({"items":[{"id":"b"}]})", "read JSON Feed\nb |  |  |  | -\n", kJsonFeed},
        {R"({"items":[{"id":"b"}]})", "failed RSS\nerror 0 .", kRssFeed},
        // Deep nesting is read up to the bound and refused past it, without recursion; broken
        // JSON fails as a body that does not load, saying what and where.
        {nested(kMaxJsonDepth - 1) + "," + feed("").substr(1), "read JSON Feed\nerror 0 ."},
        {nested(kMaxJsonDepth) + "}", failed + "nested deeper than 1024 levels."},
        {nested(1'000'000) + "}", failed + "nested deeper than 1024 levels."},
        {R"({"items":[{"id":"1",}]})", failed +
                                           "syntax error while parsing object key - unexpected "
                                           "'}'; expected string literal at byte 20."},
        {" \xEF\xBB\xBF{\"a\":\"x", failed + "syntax error while parsing value - invalid string: "
                                             "missing closing quote; last read: '\"x' at byte 11."},
        // Valid JSON past simdjson's range for numbers: its own words, no byte.
        {R"({"a":123456789012345678901234567890})", failed + "Problem while parsing a number."},
    };
    for (const Read& read : reads) {
        const std::string seen = outcome(read);
        EXPECT_TRUE(seen.starts_with(read.expected)) << seen.substr(0, 400);
    }
}

// A body that does not load sends the read on to the next component.
TEST(JsonFeedReading, BrokenJsonLetsTheNextComponentTry) {
    test::LoopbackServer server;
    int hits = 0;
    server.handle("/feed", [&hits](const httplib::Request&, httplib::Response& response) {
        response.set_content(++hits == 1 ? "{\"version\":" : feed(R"({"id":"c"})"),
                             "application/json");
    });
    FeedReader reader;
    EXPECT_TRUE(reader.ReadFeed(server.url("/feed")));
    EXPECT_EQ(hits, 2);
    EXPECT_EQ(reader.FeedItems()->size(), 1U);
}

}  // namespace
}  // namespace lumeward::feed
