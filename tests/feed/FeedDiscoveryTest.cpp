// Feeds found from web pages: which pages count, which link names the feed, and the
// reader that follows it once, against loopback servers.
#include "feed/FeedDiscovery.h"

#include "feed/FeedReader.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace lumeward::feed {
namespace {

const std::string kPage = "http://example.org/blog/index.html";
const std::string kFeed = "<rss><channel><item/></channel></rss>";

std::string link(const std::string& attributes) {
    return "<link " + attributes + ">";
}
std::string rssLink(const std::string& href) {
    return link("rel=alternate type=application/rss+xml href=\"" + href + "\"");
}

TEST(FeedDiscovery, FindsTheFirstFeedLinkResolvedAgainstBaseAndPage) {
    std::string nested;  // past 256 open elements the parser stops
    while (nested.size() < 1500) {
        nested += "<div>";
    }
    // page, the feed's address found in it (empty for none)
    const std::vector<std::pair<std::string, std::string>> cases = {
        {rssLink("feed.xml"), "http://example.org/blog/feed.xml"},
        {"<title>x</title>" + rssLink("/f?a=1&amp;b=2#x"), "http://example.org/f?a=1&b=2#x"},
        {rssLink("//cdn.example.net/f"), "http://cdn.example.net/f"},
        {rssLink(" https://other.example/a b\xC3\xA9 "), "https://other.example/a%20b%C3%A9"},
        {"<base href=\"/sub/\">" + rssLink("f"), "http://example.org/sub/f"},
        {"<base target=_top><base href=\"https://b.example/x/\">" + rssLink("../f"),
         "https://b.example/f"},
        {link("rel=alternate type=text/html href=a") + link("rel=stylesheet type=text/css href=b") +
             link("rel=\"feed\" type=application/rss+xml href=c") +
             link("rel=\"Home\tALTERNATE\" type=\" Application/Atom+XML; x=y\" href=d") +
             rssLink("e"),
         "http://example.org/blog/d"},
        {link("rel=alternate type=application/rdf+xml href=r"), "http://example.org/blog/r"},
        {link("rel=alternate type=application/feed+json href=j"), "http://example.org/blog/j"},
        {"<body><p>" + rssLink("in-body"), "http://example.org/blog/in-body"},
        {link("rel=stylesheet href=s") + "<LINK rel=alternate type=application/rss+xml href=up>" +
             "<script>'<link'</script><p>",
         "http://example.org/blog/up"},
        {"<p>" + std::string(50000, 'x') + std::string(20000, '<') + rssLink("late"),
         "http://example.org/blog/late"},
        {"<p>no link</p>", ""},
        {link("rel=alternate type=application/rss+xml"), ""},
        {rssLink("javascript:alert(1)"), ""},
        {rssLink("ftp://files.example/f"), ""},
        {nested + rssLink("deep"), ""},
    };
    for (const auto& [page, expected] : cases) {
        EXPECT_EQ(findFeedAddress(page, kPage).value_or(""), expected) << page.substr(0, 200);
    }
}

TEST(FeedDiscovery, TellsPagesByContentTypeOrTheirStart) {
    EXPECT_TRUE(isWebPage("Text/HTML; charset=utf-8", "<rss>"));
    EXPECT_TRUE(isWebPage("application/xhtml+xml", ""));
    EXPECT_TRUE(isWebPage("", "\xEF\xBB\xBF<HTML lang=en>"));
    EXPECT_TRUE(isWebPage("", " \n<body>"));
    EXPECT_TRUE(isWebPage("text/plain", "<!-- x --><p>"));
    EXPECT_FALSE(isWebPage("application/xml", "<rss version=\"2.0\">"));
    EXPECT_FALSE(isWebPage("", "<htmlish>"));
    EXPECT_FALSE(isWebPage("", "<html"));
    EXPECT_TRUE(sameServer("http://a.example/x", "HTTP://A.EXAMPLE:80/y"));
    EXPECT_FALSE(sameServer("http://a.example/", "https://a.example/"));
    EXPECT_FALSE(sameServer("http://a.example/", "http://a.example:8080/"));
    EXPECT_FALSE(sameServer("http://a.example/", "http://b.example/"));
}

// The reader follows the page's feed once, with the credentials only on the same server;
// the found address of a page that is again a page, of an error page, or of a feed
// served as HTML is not read.
TEST(FeedDiscovery, ReaderReadsTheFeedThePageNamesOnce) {
    test::LoopbackServer server;
    test::LoopbackServer other("127.0.0.2");
    const auto feedForUser = [](const httplib::Request& request, httplib::Response& response) {
        response.status = request.get_header_value("Authorization") == "Basic dTpw" ? 200 : 401;
        response.set_header("WWW-Authenticate", "Basic realm=\"r\"");
        response.set_content(response.status == 200 ? kFeed : "", "application/rss+xml");
    };
    server.handle("/dir/feed", feedForUser);
    other.handle("/feed", feedForUser);
    server.serve("/dir/page", 200, "<!DOCTYPE html><title>P</title>" + rssLink("feed"), "");
    server.serve("/xhtml", 200, "<html><head>" + rssLink("dir/feed") + "</head></html>",
                 "application/xhtml+xml");
    server.serve("/to-page", 200, rssLink("dir/page"), "text/html");
    server.serve("/to-other", 200, rssLink(other.url("/feed")), "text/html");
    server.serve("/gone", 404, rssLink("dir/feed"), "text/html");
    server.serve("/html-feed", 200,
                 "<rss><link rel='alternate' type='application/rss+xml' href='dir/feed'/>"
                 "<channel><item/></channel></rss>",
                 "text/html");
    server.handle("/moved", [](auto&, httplib::Response& r) { r.set_redirect("/dir/page"); });
    // path, last status, found address, whether the read succeeded
    const std::vector<std::tuple<std::string, int, std::string, bool>> cases = {
        {"/moved", 200, server.url("/dir/feed"), true},
        {"/xhtml", 200, server.url("/dir/feed"), true},
        {"/to-other", 401, other.url("/feed"), false},
        {"/to-page", 200, server.url("/dir/page"), false},
        {"/gone", 404, "", false},
        {"/html-feed", 200, "", true},
    };
    for (const auto& [path, status, foundAt, ok] : cases) {
        FeedReader reader;
        std::int32_t kind = kUnknownFeed;
        EXPECT_EQ(reader.ReadFeed(server.url(path), "u", "p", kind), ok) << path;
        EXPECT_EQ(reader.LastHTTPStatus(), status) << path;
        EXPECT_EQ(reader.FoundAt(), foundAt) << path;
        EXPECT_EQ(reader.FeedItems()->size(), ok ? 1U : 0U) << path;
    }
    EXPECT_EQ(server.hits("/dir/feed"), 4);  // two reads, each challenged once
}

}  // namespace
}  // namespace lumeward::feed
