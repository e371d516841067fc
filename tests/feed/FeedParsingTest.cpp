#include <gtest/gtest.h>

#include <string>

#include "feed/FeedReader.h"
#include "support/LoopbackServer.h"

namespace lumeward::feed {
namespace {

using test::LoopbackServer;

// Serves each document from a loopback server and reads it with one reader.
class FeedParsing : public testing::Test {
protected:
    bool read(std::string xml, std::int32_t lType = kUnknownFeed, bool allowHtml = false) {
        const std::string path = "/feed" + std::to_string(++m_served);
        m_server.serve(path, 200, std::move(xml));
        m_lType = lType;
        return m_reader.ReadFeed(m_server.url(path), "", "", m_lType, allowHtml);
    }

    const FeedItemList& items() const { return *m_reader.FeedItems(); }

    LoopbackServer m_server;
    FeedReader m_reader;
    std::int32_t m_lType = kUnknownFeed;
    int m_served = 0;
};

std::string rss(const std::string& items) {
    return "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>C</title>" + items +
           "</channel></rss>";
}

TEST_F(FeedParsing, ReadsRssItemsInDocumentOrder) {
    ASSERT_TRUE(
        read(rss("<item><title>One</title><link>https://a.example/1</link>"
                 "<description>First</description></item>"
                 "<item><description>Second</description><link>https://a.example/2</link>"
                 "<title>Two</title></item>")));
    ASSERT_EQ(items().size(), 2u);
    EXPECT_EQ(items()[0].URL(), "https://a.example/1");
    EXPECT_EQ(items()[0].Title(), "One");
    EXPECT_EQ(items()[0].Description(), "First");
    EXPECT_EQ(items()[1].URL(), "https://a.example/2");
    EXPECT_EQ(items()[1].Title(), "Two");
    EXPECT_EQ(items()[1].Description(), "Second");
    EXPECT_EQ(m_reader.FeedType(), kRssFeed);
    EXPECT_EQ(m_reader.FeedTypeString(), "RSS");
    EXPECT_EQ(m_lType, kRssFeed) << "the recognised kind is written back";
}

TEST_F(FeedParsing, ReadsRdfItemsUnderAnRdfPrefixedRoot) {
    ASSERT_TRUE(read(
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
        "xmlns=\"http://purl.org/rss/1.0/\"><channel><title>C</title></channel>"
        "<item><title>R</title><link>https://r.example/</link><description>D</description></item>"
        "</rdf:RDF>"));
    ASSERT_EQ(items().size(), 1u);
    EXPECT_EQ(items()[0].URL(), "https://r.example/");
    EXPECT_EQ(items()[0].Title(), "R");
    EXPECT_EQ(items()[0].Description(), "D");
    EXPECT_EQ(m_reader.FeedTypeString(), "RDF");
}

TEST_F(FeedParsing, RdfRootWithAnotherPrefixIsNotRecognised) {
    EXPECT_FALSE(
        read("<r:RDF xmlns:r=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
             "<item><title>R</title></item></r:RDF>"));
    EXPECT_EQ(m_reader.FeedType(), kUnknownFeed);
    EXPECT_TRUE(items().empty());
}

TEST_F(FeedParsing, ReadsAtomEntriesWithAlternateLinkAndContent) {
    ASSERT_TRUE(read(
        "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>F</title>"
        "<entry><title>A</title><link rel=\"replies\" href=\"https://x.example/r\"/>"
        "<link rel=\"alternate\" href=\"https://x.example/a\"/>"
        "<summary>S</summary><content type=\"html\">C</content></entry>"
        "<entry><title>B</title><link href=\"https://x.example/none\"/><summary>S</summary></entry>"
        "<entry><title>C</title><link rel=\"Alternate\" href=\"https://x.example/case\"/></entry>"
        "</feed>"));
    ASSERT_EQ(items().size(), 3u);
    EXPECT_EQ(items()[0].URL(), "https://x.example/a");
    EXPECT_EQ(items()[0].Title(), "A");
    EXPECT_EQ(items()[0].Description(), "C");
    EXPECT_EQ(items()[1].URL(), "") << "a link without rel is not the alternate link";
    EXPECT_EQ(items()[1].Description(), "") << "summary is not content";
    EXPECT_EQ(items()[2].URL(), "") << "rel is compared with its letter case";
    EXPECT_EQ(m_reader.FeedTypeString(), "Atom");
}

TEST_F(FeedParsing, MissingFieldsAreEmptyAndTheFirstOfTwoLinksWins) {
    ASSERT_TRUE(
        read(rss("<item><link>https://a.example/first</link>"
                 "<link>https://a.example/second</link></item><item/>")));
    ASSERT_EQ(items().size(), 2u);
    EXPECT_EQ(items()[0].URL(), "https://a.example/first");
    EXPECT_EQ(items()[0].Title(), "");
    EXPECT_EQ(items()[1].URL(), "");
    EXPECT_EQ(items()[1].Title(), "");
    EXPECT_EQ(items()[1].Description(), "");
}

TEST_F(FeedParsing, ChannelWithoutItemsIsNotRecognised) {
    EXPECT_FALSE(read(rss("")));
    EXPECT_EQ(m_reader.FeedType(), kUnknownFeed);
    EXPECT_EQ(m_reader.FeedTypeString(), "Unknown / None");
    EXPECT_EQ(m_lType, kUnknownFeed);
    EXPECT_TRUE(items().empty());
}

TEST_F(FeedParsing, IdenticalEntriesAreAllKept) {
    std::string entries;
    for (int i = 0; i < 10; ++i) {
        entries += "<item><title>Same</title></item>";
    }
    ASSERT_TRUE(read(rss(entries)));
    EXPECT_EQ(items().size(), 10u);
}

TEST_F(FeedParsing, DescriptionLosesItsTagsUnlessHtmlIsAllowed) {
    const auto feed =
        rss("<item><description>&lt;p&gt;word &lt;b&gt;two&lt;/b&gt;&lt;/p&gt;</description></item>"
            "<item><description><![CDATA[<p>in <i>cdata</i></p>]]></description></item>");
    ASSERT_TRUE(read(feed));
    EXPECT_EQ(items()[0].Description(), "word two");
    EXPECT_EQ(items()[1].Description(), "in cdata");

    ASSERT_TRUE(read(feed, kUnknownFeed, true));
    EXPECT_EQ(items()[0].Description(), "<p>word <b>two</b></p>");
    EXPECT_EQ(items()[1].Description(), "<p>in <i>cdata</i></p>");
}

TEST_F(FeedParsing, XhtmlContentIsTheTextOfItsChildrenWhateverHtmlIsAllowed) {
    const std::string feed =
        "<feed><entry><content type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\">"
        "<p>Hello <em>there</em></p></div></content></entry></feed>";
    ASSERT_TRUE(read(feed));
    EXPECT_EQ(items()[0].Description(), "Hello there");
    ASSERT_TRUE(read(feed, kUnknownFeed, true));
    EXPECT_EQ(items()[0].Description(), "Hello there");
}

TEST_F(FeedParsing, ForcedKindIsUsedWithoutRecognition) {
    EXPECT_TRUE(read(rss("<item><title>T</title></item>"), kAtomFeed));
    EXPECT_EQ(m_reader.FeedType(), kAtomFeed);
    EXPECT_EQ(m_reader.FeedTypeString(), "Atom");
    EXPECT_TRUE(items().empty());

    EXPECT_FALSE(read(rss("<item><title>T</title></item>"), 9));
    EXPECT_EQ(m_reader.FeedType(), 9);
    EXPECT_EQ(m_reader.FeedTypeString(), "Unknown / None");
    EXPECT_EQ(m_lType, 9);
    EXPECT_TRUE(items().empty());
}

TEST_F(FeedParsing, TextKeepsEveryScriptWhiteSpaceAndDecodedReferences) {
    ASSERT_TRUE(
        read(rss("<item><title>  Don\u2019t\tpanic:\nНовости — 新闻 😀  </title>"
                 "<description>caf&#233; &#8217; &amp;amp; &nbsp;</description></item>")));
    EXPECT_EQ(items()[0].Title(), "  Don\u2019t\tpanic:\nНовости — 新闻 😀  ");
    EXPECT_EQ(items()[0].Description(), "caf\u00e9 \u2019 &amp; &nbsp;");
}

TEST_F(FeedParsing, DocumentTypeDeclarationIsRemovedBeforeLoading) {
    ASSERT_TRUE(
        read("<?xml version=\"1.0\"?>\n<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD "
             "RSS 0.91//EN\" \"http://my.netscape.com/publish/formats/rss-0.91.dtd\">\n" +
             rss("<item><title>Old</title></item>").substr(21)));
    ASSERT_EQ(items().size(), 1u);
    EXPECT_EQ(items()[0].Title(), "Old");
}

// Found by fuzzing the reader: the parser decoded "&#xD800;" into bytes that are
// not UTF-8 and "&#0;" into a NUL that cut the text short.
TEST_F(FeedParsing, FeedReferringToForbiddenCharactersIsRefused) {
    for (const char* reference : {"&#0;", "&#xD800;", "&#xFFFF;", "&#x110000;", "&#4294967306;"}) {
        EXPECT_FALSE(read(rss(std::string("<item><title>a") + reference + "b</title></item>")))
            << reference;
        EXPECT_TRUE(items().empty()) << reference;
    }
    ASSERT_TRUE(read(rss("<item><title><![CDATA[&#0;]]></title></item>")));
    EXPECT_EQ(items()[0].Title(), "&#0;") << "CDATA is text, not a reference";
}

}  // namespace
}  // namespace lumeward::feed
