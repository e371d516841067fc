#include "feed/FeedReader.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/LoopbackServer.h"

namespace lumeward::feed {
namespace {

using test::LoopbackServer;

const char* const kTwoItemFeed =
    "<rss><channel><item><title>A</title></item><item><title>B</title></item></channel></rss>";
const char* const kOneItemFeed = "<rss><channel><item><title>C</title></item></channel></rss>";

std::shared_ptr<const ComponentRegistry> registryWithout(std::string_view name) {
    auto registry = ComponentRegistry::standard();
    registry.remove(name);
    return std::make_shared<const ComponentRegistry>(std::move(registry));
}

TEST(FeedReader, StartsEmptyAndNeutral) {
    FeedReader reader;
    EXPECT_EQ(reader.LastHTTPStatus(), 0);
    EXPECT_EQ(reader.LastHTTPStatusText(), "");
    EXPECT_EQ(reader.LastErrorCode(), 0);
    EXPECT_EQ(reader.LastErrorDesc(), "");
    EXPECT_EQ(reader.FeedType(), kUnknownFeed);
    EXPECT_EQ(reader.FeedTypeString(), "Unknown / None");
    EXPECT_EQ(reader.ProxyUser(), "");
    EXPECT_EQ(reader.ProxyPass(), "");
    ASSERT_NE(reader.FeedItems(), nullptr);
    EXPECT_TRUE(reader.FeedItems()->empty());
}

TEST(FeedReader, WithoutTextCleanerRecordsTheFailureAndNeverReads) {
    LoopbackServer server;
    server.serve("/feed", 200, kOneItemFeed);
    FeedReader reader(registryWithout("VBScript.RegExp"));
    EXPECT_EQ(reader.LastErrorCode(), 429);
    EXPECT_EQ(reader.LastErrorDesc(), "Error creating object 'VBScript.RegExp'");

    std::int32_t lType = 0;
    EXPECT_FALSE(reader.ReadFeed(server.url("/feed"), "", "", lType));
    EXPECT_EQ(server.hits("/feed"), 0);
    EXPECT_EQ(reader.LastErrorCode(), 429) << "nothing was cleared";
    EXPECT_EQ(reader.LastHTTPStatus(), 0);
    EXPECT_EQ(lType, 0);
    EXPECT_THROW(reader.StripHTML("<b>x</b>"), ComponentError);
}

TEST(FeedReader, ClearResetsStatusErrorAndKindButKeepsItemsAndProxy) {
    LoopbackServer server;
    server.serve("/feed", 200, kTwoItemFeed);
    FeedReader reader;
    reader.ProxyUser("proxy-user");
    reader.ProxyPass("proxy-pass");
    ASSERT_TRUE(reader.ReadFeed(server.url("/feed")));
    ASSERT_EQ(reader.LastHTTPStatusText(), "OK");
    ASSERT_EQ(reader.FeedType(), kRssFeed);
    reader.Clear();
    EXPECT_EQ(reader.LastHTTPStatus(), 0);
    EXPECT_EQ(reader.LastHTTPStatusText(), "");
    EXPECT_EQ(reader.LastErrorCode(), 0);
    EXPECT_EQ(reader.LastErrorDesc(), "");
    EXPECT_EQ(reader.FeedType(), kUnknownFeed);
    EXPECT_EQ(reader.FeedItems()->size(), 2u);
    EXPECT_EQ(reader.ProxyUser(), "proxy-user");
    EXPECT_EQ(reader.ProxyPass(), "proxy-pass");
}

TEST(FeedReader, ListHandedOutIsNeverChangedByALaterRead) {
    LoopbackServer server;
    server.serve("/two", 200, kTwoItemFeed);
    server.serve("/one", 200, kOneItemFeed);
    FeedReader reader;
    ASSERT_TRUE(reader.ReadFeed(server.url("/two")));
    const auto first = reader.FeedItems();
    const FeedItem* firstItem = &first->front();

    ASSERT_TRUE(reader.ReadFeed(server.url("/one")));
    ASSERT_EQ(first->size(), 2u);
    EXPECT_EQ(firstItem->Title(), "A");
    EXPECT_EQ((*first)[1].Title(), "B");
    ASSERT_EQ(reader.FeedItems()->size(), 1u);
    EXPECT_EQ(reader.FeedItems()->front().Title(), "C");

    ASSERT_FALSE(reader.ReadFeed(server.url("/absent")));
    EXPECT_EQ(first->size(), 2u);
    EXPECT_TRUE(reader.FeedItems()->empty()) << "a failed read starts an empty list too";
}

TEST(FeedReader, LastRecordedErrorWins) {
    // Every name fails: the four refused connections each record, the last one stays.
    const auto address = "http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort()) + "/";
    auto registry = ComponentRegistry::standard();
    registry.remove("Microsoft.XMLHTTP");
    FeedReader reader(std::make_shared<const ComponentRegistry>(std::move(registry)));
    EXPECT_FALSE(reader.ReadFeed(address));
    EXPECT_EQ(reader.LastErrorCode(), 429);
    EXPECT_EQ(reader.LastErrorDesc(), "Error creating object 'Microsoft.XMLHTTP'");
}

TEST(FeedReader, StripHtmlIsAvailableToCallers) {
    FeedReader reader;
    EXPECT_EQ(reader.StripHTML("a<br/>b <!-- c --> d"), "ab  d");
    EXPECT_EQ(reader.StripHTML(""), "");
}

TEST(FeedItem, StartsWithThreeEmptyFields) {
    const FeedItem item;
    EXPECT_EQ(item.URL(), "");
    EXPECT_EQ(item.Title(), "");
    EXPECT_EQ(item.Description(), "");
}

TEST(FeedTypeName, NamesTheThreeKindsAndNothingElse) {
    EXPECT_EQ(feedTypeName(0), "Unknown / None");
    EXPECT_EQ(feedTypeName(1), "RSS");
    EXPECT_EQ(feedTypeName(2), "RDF");
    EXPECT_EQ(feedTypeName(3), "Atom");
    EXPECT_EQ(feedTypeName(7), "Unknown / None");
    EXPECT_EQ(feedTypeName(-1), "Unknown / None");
}

}  // namespace
}  // namespace lumeward::feed
