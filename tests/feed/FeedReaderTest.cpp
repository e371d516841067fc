// The reader end to end against a loopback server: components, credentials, each kind of
// feed, and hostile bodies refused cleanly or read whole.
#include "feed/FeedReader.h"

#include "feed/CurlHttpRequest.h"
#include "feed/XmlDocument.h"
#include "support/CurlErrorCodes.h"
#include "support/LoopbackServer.h"
#include "support/SilentServer.h"
#include "support/TextChecks.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace lumeward::feed {
namespace {

using test::LoopbackServer;

const std::vector<std::string> kHttpNames = {"WinHttp.WinHttpRequest.5", "MSXML2.XMLHTTP",
                                             "MSXML2.ServerXMLHTTP", "Microsoft.XMLHTTP"};

std::string rss(const std::string& items) {
    return "<rss version=\"2.0\"><channel><title>C</title>" + items + "</channel></rss>";
}
const std::string kFeed = rss("<item><title>T</title></item>");

std::string repeated(const std::string& piece, std::size_t times) {
    std::string text;
    for (text.reserve(piece.size() * times); times > 0; --times) {
        text += piece;
    }
    return text;
}

// A loopback server and the standard components, each HTTP name noting its place in
// kHttpNames in `m_made` as it is made.
class FeedReading : public testing::Test {
protected:
    struct Read {
        std::string body;      // served with status 200 at /feed, unless a path is given
        std::string expected;  // the start of the outcome
        std::string path = "/feed";
        std::string name = "";  // then served by `factory`, or by nothing, for a reader of its own
        ComponentRegistry::Factory factory = nullptr;
        std::int32_t kind = kUnknownFeed;
        bool allowHtml = false;
        const char* contentType = "application/rss+xml";
    };

    std::shared_ptr<const ComponentRegistry> components(const std::string& name = "",
                                                        ComponentRegistry::Factory factory = {}) {
        auto registry = ComponentRegistry::standard();
        for (std::size_t i = 0; i < kHttpNames.size(); ++i) {
            registry.add(kHttpNames[i], [this, i] {
                m_made += static_cast<char>('0' + i);
                return std::make_unique<CurlHttpRequest>();
            });
        }
        if (!name.empty()) {
            factory ? registry.add(name, factory) : registry.remove(name);
        }
        return std::make_shared<const ComponentRegistry>(std::move(registry));
    }

    // The outcome and kind, each item as URL | title | description, then after "." the names
    // made, the status and the error, then ".".
    std::string outcome(const Read& read) {
        FeedReader own(components(read.name, read.factory));
        FeedReader& reader = read.name.empty() ? m_reader : own;
        m_server.serve("/feed", 200, read.body, read.contentType);
        m_made.clear();
        std::int32_t kind = read.kind;
        const std::map<std::string, std::string> elsewhere = {
            {"down", "http://127.0.0.1:" + m_port}, {"closes", m_closes.url()}};
        const bool ok = reader.ReadFeed(
            elsewhere.contains(read.path) ? elsewhere.at(read.path) : m_server.url(read.path), "",
            "", kind, read.allowHtml);
        EXPECT_EQ(kind, reader.FeedType()) << "the kind is written back";
        std::string seen = (ok ? "read " : "failed ") + reader.FeedTypeString() + "\n";
        for (const FeedItem& item : *reader.FeedItems()) {
            seen += item.URL() + " | " + item.Title() + " | " + item.Description() + "\n";
        }
        return seen + ".made " + m_made + ", " + std::to_string(reader.LastHTTPStatus()) + " " +
               reader.LastHTTPStatusText() + ", error " + std::to_string(reader.LastErrorCode()) +
               " " + reader.LastErrorDesc() + ".";
    }

    void expect(const std::vector<Read>& reads) {
        for (const Read& read : reads) {
            const std::string seen = outcome(read);
            EXPECT_TRUE(seen.starts_with(read.expected)) << seen.substr(0, 300);
        }
    }

    LoopbackServer m_server;
    test::SilentServer m_closes;
    std::string m_made;
    FeedReader m_reader{components()};
    const std::string m_port = std::to_string(test::unusedLoopbackPort());
};

// A body that does not load, or any answer that is not a feed, sends the read on to the next
// name; no answer at all (no connection, an empty reply) ends it, since every name takes the
// same way to the server. A name that cannot be made is recorded and the read goes
// on. The last failure is kept: a body that does not load says why, under the engine's code
// unless a component failed before. Reads by one reader each start clean, and a list handed
// out stays as it is.
TEST_F(FeedReading, TriesTheComponentsInOrderUntilABodyLoads) {
    m_server.serve("/500", 500, kFeed);
    m_server.handle("/loop", [](auto&, httplib::Response& response) {
        response.set_redirect("/loop");  // an answer, though never a feed
    });
    const auto handedOut = m_reader.FeedItems();
    const ComponentRegistry::Factory tenBytes = [] {
        return std::make_unique<CurlHttpRequest>(HttpLimits{.maxBodyBytes = 10});
    };
    const std::string none = "failed Unknown / None\n.made ";
    const std::string badXml = ", error 1003 Not well-formed XML: ";
    const std::string cannot = none + ", 0 , error 429 Error creating object '";
    const std::string tooLarge = std::to_string(test::kFileSizeExceeded);
    const std::string read = "read RSS\n | T | \n.made ";
    expect({
        {"", none + "0123, 404 Not Found" + badXml + "Start-end tags mismatch at byte 30", "/404"},
        {"", none + "0123, 200 OK" + badXml + "no root element."},
        {"", "failed RSS\n | T | \n.made 0, 500 Internal Server Error, error 0 .", "/500"},
        {"",
         none + "0, 0 , error " + std::to_string(test::kCouldNotConnect) +
             " Failed to connect to 127.0.0.1 port " + m_port + " ",
         "down"},
        {"", none + "0, 0 , error " + std::to_string(test::kGotNothing) + " Empty reply", "closes"},
        {"", none + "0123, 0 , error " + std::to_string(test::kTooManyRedirects), "/loop"},
        {kFeed, read + "0, 200 OK, error 0 ."},
        {"",
         none + "123, 404 Not Found, error " + tooLarge +
             " Not well-formed XML: Start-end tags mismatch at byte 30",
         "/404", kHttpNames[0], tenBytes},
        {kFeed, cannot + "MSXML.DomDocument'.", "/feed", "MSXML.DomDocument"},
        {kFeed, cannot + "VBScript.RegExp'.", "/feed", "VBScript.RegExp"},
        {"", none + "012, 404 Not Found, error 429 Error creating object '" + kHttpNames[3] + "'.",
         "/404", kHttpNames[3]},
        {kFeed, read + "1, 200 OK, error 429 Error creating object '" + kHttpNames[0] + "'.",
         "/feed", kHttpNames[0], [] { return std::make_unique<XmlDocument>(); }},
        {kFeed,
         read + "1, 200 OK, error " + tooLarge + " Response from " + m_server.url("/feed") +
             " is larger than 10 bytes.",
         "/feed", kHttpNames[0], tenBytes},
    });
    EXPECT_TRUE(handedOut->empty());
    EXPECT_EQ(m_closes.connections(), 1) << "one, not four";
}

// WinHttp sets the proxy's and the server's credentials apart, and only those given; the
// other names pass the server's to open. The environment's proxy is a loopback server too,
// which gets the whole address as its path.
TEST_F(FeedReading, SendsCredentialsByEachCallingConvention) {
    std::string seen;  // what the last request carried
    for (const auto& [path, status] :
         {std::pair{"/private", 401}, {"http://feeds.invalid/", 407}}) {
        m_server.handle(path, [&seen, status](const httplib::Request& request,
                                              httplib::Response& response) {
            seen =
                request.get_header_value(status == 407 ? "Proxy-Authorization" : "Authorization");
            response.status = seen.empty() ? status : 200;
            response.set_header(status == 407 ? "Proxy-Authenticate" : "WWW-Authenticate", "Basic");
            response.set_content(seen.empty() ? "" : kFeed, "application/rss+xml");
        });
    }
    m_reader.ProxyUser("proxy");
    EXPECT_FALSE(m_reader.ReadFeed(m_server.url("/private")));
    EXPECT_EQ(seen, "") << "no credentials, none sent";
    EXPECT_TRUE(m_reader.ReadFeed(m_server.url("/private"), "ann", ""));
    EXPECT_EQ(seen, "Basic YW5uOg==");
    EXPECT_TRUE(
        FeedReader(components(kHttpNames[0])).ReadFeed(m_server.url("/private"), "ann", "secret"));
    EXPECT_EQ(seen, "Basic YW5uOnNlY3JldA==");
    m_reader.ProxyPass("pass word");
    ::setenv("http_proxy", m_server.url("").c_str(), 1);
    EXPECT_TRUE(m_reader.ReadFeed("http://feeds.invalid/"));
    ::unsetenv("http_proxy");
    EXPECT_EQ(seen, "Basic cHJveHk6cGFzcyB3b3Jk");
}

TEST_F(FeedReading, ReadsEachKindByItsOwnPaths) {
    const std::string items =
        rss("<item><title>1</title><link>L1</link><description>D1</description></item><item>"
            "<description>D2</description><link>L2</link><link>L3</link><title>2</title></item>"
            "<item/><item><description>&lt;p&gt;a &lt;b&gt;b&lt;/b&gt;&lt;/p&gt;</description>"
            "</item><item><description><![CDATA[<p>in <i>cdata</i></p>]]></description></item>");
    // An entity bomb, in which lol9 would stand for a billion letters, is never expanded: its
    // internal subset goes whole, so the feed loads and the reference stays as written.
    std::string bomb =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE rss SYSTEM \"http://a.example/rss.dtd\" [\n"
        " <!ENTITY lol0 \"lol\">\n";
    for (int level = 1; level <= 9; ++level) {
        bomb += " <!ENTITY lol" + std::to_string(level) + " \"" +
                repeated("&lol" + std::to_string(level - 1) + ";", 10) + "\">\n";
    }
    const std::string failed = "failed Unknown / None\n.";
    const std::string kEscapedTwice =
        "<feed><entry><title type=\"html\">Release 1.0 &amp;amp; &amp;lt;notes&amp;gt;</title>"
        "<content type=\"html\">&lt;p&gt;a&amp;amp;b&lt;/p&gt;&lt;script&gt;x()&lt;/script&gt;"
        "&amp;lt;p&amp;gt;</content></entry></feed>";
    expect({
        {items, "read RSS\nL1 | 1 | D1\nL2 | 2 | D2\n |  | \n |  | \na b\n\n |  | \nin cdata\n\n."},
        {items,
         "read RSS\nL1 | 1 | D1\nL2 | 2 | D2\n |  | \n |  | <p>a <b>b</b></p>\n |  | <p>in "
         "<i>cdata</i></p>\n.",
         "/feed", "", nullptr, 0, true},
        {"<rdf:RDF xmlns:rdf=\"urn:rdf\" xmlns=\"urn:rss\"><channel/><item><title>1</title><link>"
         "L1</link><description>D1</description></item></rdf:RDF>",
         "read RDF\nL1 | 1 | D1\n."},
        {"<r:RDF xmlns:r=\"urn:rdf\"><item/></r:RDF>", failed},
        // A feed with no entries is a feed; its top says which kind.
        {rss(""), "read RSS\n."},
        {"<rdf:RDF xmlns:rdf=\"urn:rdf\"><channel/></rdf:RDF>", "read RDF\n."},
        {"<feed><title>Nothing yet</title></feed>", "read Atom\n."},
        {"<rss><item><title>1</title></item></rss>", failed},
        {"<channel><item/></channel>", failed},
        // The first link with rel="alternate", as written, else the first without rel; content,
        // else summary; XHTML content as its text, even where HTML is kept.
        {"<feed><entry><title>1</title><link rel=\"replies\" href=\"r\"/><link href=\"n\"/>"
         "<link rel=\"alternate\" href=\"a?b&amp;c\"/><summary>S</summary><content>C</content>"
         "</entry><entry><link rel=\"Alternate\" href=\"A\"/></entry><entry><link rel=\"self\" "
         "href=\"s\"/><link href=\"n\"/><link href=\"m\"/><summary>S</summary></entry><entry>"
         "<content type=\"xhtml\"><div>\n <p>Hello <em>there</em></p> </div></content></entry>"
         "</feed>",
         "read Atom\na?b&c | 1 | C\n |  | \nn |  | S\n |  | \n Hello there \n.", "/feed", "",
         nullptr, 0, true},
        {kFeed, "read Atom\n.", "/feed", "", nullptr, kAtomFeed},
        {kFeed, failed, "/feed", "", nullptr, 9},
        {rss("<item><title>  Don\u2019t\tpanic:\nНовости — 新闻 😀  </title><description>caf&#233; "
             "&#8217; &amp;amp; &nbsp;</description></item>"),
         "read RSS\n |   Don\u2019t\tpanic:\nНовости — 新闻 😀   | caf\u00e9 \u2019 & \u00a0\n."},
        // Titles escaped twice have their references decoded; with HTML kept, nothing changes.
        {kEscapedTwice, "read Atom\n | Release 1.0 & <notes> | \na&b\n<p>\n."},
        {kEscapedTwice,
         "read Atom\n | Release 1.0 &amp; &lt;notes&gt; | <p>a&amp;b</p><script>x()</script>"
         "&lt;p&gt;\n.",
         "/feed", "", nullptr, 0, true},
        {bomb + "]>\n" +
             rss("<item><title>&lol9;</title><description>x&lol9;y</description></item>"),
         "read RSS\n | &lol9; | x&lol9;y\n."},
        // The charset of the response, which the Windows-1252 fallback would misread.
        {rss("<item><title>\xF0\xD2\xC9\xD7\xC5\xD4</title></item>"),
         "read RSS\n | \u041f\u0440\u0438\u0432\u0435\u0442 | \n.", "/feed", "", nullptr, 0, false,
         "text/xml; charset=koi8-r"},
    });
}

// One instant or none per item, from its kind's fields in order: a later field stands in for
// one that is missing or unreadable. With HTML kept, dates are read the same.
TEST_F(FeedReading, DatesEachItemFromItsKindsFields) {
    const std::string rdf = "<rdf:RDF xmlns:rdf=\"urn:rdf\" xmlns:dc=\"urn:dc\"><item><dc:date>";
    const std::pair<std::string, std::string> cases[] = {
        {rss("<item><pubDate>Mon, 07 Dec 2026 10:00:00 +0100</pubDate></item><item/><item>"
             "<pubDate>soon</pubDate><dc:date>2026-12-08</dc:date></item><item><pubDate>Tue, 08 "
             "Dec 2026 01:02:03 GMT</pubDate><dc:date>2020-01-01</dc:date></item>"),
         "2026-12-07T09:00:00Z none 2026-12-08T00:00:00Z 2026-12-08T01:02:03Z "},
        {rdf + "2026-12-07T10:00:00-02:00</dc:date></item><item><dc:date/></item><item><dc:date>"
               "<![CDATA[2026-12-07]]><!-- c --> </dc:date></item></rdf:RDF>",
         "2026-12-07T12:00:00Z none 2026-12-07T00:00:00Z "},
        {"<feed><entry><updated>2026-12-09T00:00:00Z</updated><published>2026-12-01T00:00:00Z"
         "</published></entry><entry><updated>2026-12-09T00:00:00Z</updated></entry><entry>"
         "<published>12/01/2026</published><updated>2026-12-09T00:00:00Z</updated></entry><entry>"
         "<issued>2026-12-01T00:00:00Z</issued></entry></feed>",
         "2026-12-01T00:00:00Z 2026-12-09T00:00:00Z 2026-12-09T00:00:00Z none "},
    };
    for (const bool allowHtml : {false, true}) {
        for (const auto& [body, expected] : cases) {
            ASSERT_TRUE(
                outcome({body, "", "/feed", "", nullptr, 0, allowHtml}).starts_with("read"));
            std::string dates;
            for (const FeedItem& item : *m_reader.FeedItems()) {
                dates += (item.Date() ? formatUtcDate(*item.Date()) : "none") + " ";
            }
            EXPECT_EQ(dates, expected) << body;
        }
    }
}

// Each kind's id as written, or none: RSS guid, RDF rdf:about, Atom id; never another's.
TEST_F(FeedReading, IdentifiesEachItemByItsKindsId) {
    const std::pair<std::string, std::string> cases[] = {
        {rss("<item><guid isPermaLink=\"false\"> a&amp;b </guid><id>x</id></item><item/>"),
         "[ a&b ] [] "},
        {"<rdf:RDF xmlns:rdf=\"urn:rdf\"><item rdf:about=\"http://e/1\"><guid>x</guid></item>"
         "<item about=\"y\"/></rdf:RDF>",
         "[http://e/1] [] "},
        {"<feed><entry><id>tag:e,1</id></entry><entry><guid>x</guid></entry></feed>",
         "[tag:e,1] [] "},
    };
    for (const auto& [body, expected] : cases) {
        ASSERT_TRUE(outcome({body, "", "/feed", "", nullptr, 0, false}).starts_with("read"));
        std::string ids;
        for (const FeedItem& item : *m_reader.FeedItems()) {
            ids += "[" + item.Id() + "] ";
        }
        EXPECT_EQ(ids, expected) << body;
    }
}

// One loader given text after text: only well-formed documents load, and none that refers
// to a character XML forbids, in text (early or late in a 16-byte block) or in a quoted
// value, but outside comments, CDATA and instructions.
TEST(XmlDocument, LoadsOnlyWellFormedDocuments) {
    std::vector<std::pair<std::string, bool>> cases = {
        {" \n<?xml version=\"1.0\"?>\n\t<!-- a --><?pi x?><rss a='&#x9;&#10;'>a&nbsp;b & c&#; &#x; "
         "&#0 &#X0;&#13;&#32;&#xD7FF;&#xE000;&#xFFFD;&#x10FFFF;<!--&#0;--><![CDATA[&#0;]]><?pi "
         "&#0;?></rss><!-- b --><?pi y?>\r\n  ",
         true}};
    for (const char* text :
         {" \n\t ", "<rss/><rss/>", "<rss><channel></channel>", "<rss><a></b></rss>",
          "leading<rss/>", "<rss/><![CDATA[x]]>", "<rss a=\"<!--\">&#0;--></rss>"}) {
        cases.emplace_back(text, false);
    }
    for (const std::string reference : {"0123456789a&#0;", "&#&#0;", "&#x1F;", "&#xD800;",
                                        "&#xFFFE;", "&#x110000;", "&#4294967296;"}) {
        cases.emplace_back("<rss>" + reference + std::string(20, ' ') + "</rss>", false);
        cases.emplace_back("<rss a='>" + reference + "'/>", false);
        cases.emplace_back("<rss a=\"" + reference + "\"/>", false);
    }
    XmlDocument document;
    for (const auto& [text, loads] : cases) {
        document.loadXml(std::string(text));
        EXPECT_EQ(!document.isEmpty(), loads) << text;
    }
}

// A million levels of nesting around 32 MiB of text, each 1 KiB ending in an escaped "&":
// read whole, in document order, and the field after it too.
TEST_F(FeedReading, DeepAndHugeBodiesAreReadWhole) {
    std::string body = "<rss><channel><item><description>";
    std::string expected;
    for (std::size_t level = 0; level < 1'000'000; ++level) {
        expected += static_cast<char>('a' + level % 26);
        (body += "<b>") += expected.back();
    }
    const std::string block = expected.substr(0, 1019);
    ASSERT_TRUE(outcome({body + repeated(block + "&amp;", 32 * 1024) + repeated("</b>", 1'000'000) +
                             "</description><link>L</link></item></channel></rss>",
                         ""})
                    .starts_with("read RSS"));
    EXPECT_EQ(m_reader.FeedItems()->front().URL(), "L");
    EXPECT_TRUE(m_reader.FeedItems()->front().Description() ==
                expected + repeated(block + "&", 32 * 1024));
}

// Random bytes, and a feed with bytes overwritten anywhere or in its title only: a clean
// failure or items whose texts are sound; with the markup whole, the item comes through.
TEST_F(FeedReading, RandomBytesGiveACleanFailureOrSoundItems) {
    const std::string feed =
        rss("<item><title>" + std::string(64, 't') +
            "</title><description><p>Some <b>text</b></p></description></item>");
    const std::size_t title = feed.find("<title>t") + 7;
    std::mt19937 random(20240611);
    for (int round = 0; round < 60; ++round) {
        const int kind = round % 3;  // random bytes, bytes overwritten anywhere, in the title
        std::string body = kind == 0 ? std::string(round * 1000, ' ') : feed;
        for (std::size_t change = 0; change < (kind == 0 ? body.size() : 8); ++change) {
            const auto byte = static_cast<char>(random());
            body[kind == 0   ? change
                 : kind == 1 ? random() % body.size()
                             : title + random() % 64] =
                kind == 2 && (byte == '<' || byte == '&') ? 'x' : byte;
        }
        const bool ok = outcome({body, ""}).starts_with("read");
        for (const FeedItem& item : *m_reader.FeedItems()) {
            EXPECT_TRUE(test::isCleanText(item.URL()) && test::isCleanText(item.Title()) &&
                        test::isCleanText(item.Description()))
                << testing::PrintToString(body);
        }
        // A failure leaves nothing half read.
        EXPECT_TRUE(ok || (m_reader.FeedItems()->empty() && kind != 2))
            << testing::PrintToString(body);
    }
}

}  // namespace
}  // namespace lumeward::feed
