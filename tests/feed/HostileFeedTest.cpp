// Feed bodies built to hurt a reader: extreme nesting, one enormous text, entity
// bombs and bytes that are no text at all. The reader either refuses them cleanly
// or yields items whose texts are sound UTF-8.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "feed/FeedReader.h"
#include "feed/XmlDocument.h"
#include "support/LoopbackServer.h"
#include "support/TextChecks.h"

namespace lumeward::feed {
namespace {

using test::isCleanText;
using test::isValidUtf8;
using test::LoopbackServer;

constexpr int kHttpComponentCount = 4;
constexpr std::size_t kMillion = 1'000'000;

// Every text of every item is valid UTF-8 without NUL or any other character
// XML forbids.
void expectSoundItems(const FeedReader& reader) {
    for (const FeedItem& item : *reader.FeedItems()) {
        for (const std::string* text : {&item.URL(), &item.Title(), &item.Description()}) {
            EXPECT_TRUE(isCleanText(*text)) << testing::PrintToString(*text);
        }
    }
}

// A loopback server and a reader with the program's own components and limits.
class HostileFeed : public testing::Test {
protected:
    // Serves the body under a path of its own and reads it.
    bool read(std::string body, const std::string& contentType = "application/rss+xml") {
        m_path = "/feed" + std::to_string(++m_served);
        m_server.serve(m_path, 200, std::move(body), contentType);
        return m_reader.ReadFeed(m_server.url(m_path));
    }
    int hits() const { return m_server.hits(m_path); }

    LoopbackServer m_server;
    FeedReader m_reader;
    int m_served = 0;
    std::string m_path;
};

std::string repeated(std::string_view piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

std::string oneItemFeed(std::string_view title, std::string_view description = "") {
    return "<rss version=\"2.0\"><channel><item><title>" + std::string(title) +
           "</title><link>https://a.example/1</link><description>" + std::string(description) +
           "</description></item></channel></rss>";
}

TEST_F(HostileFeed, MillionLevelsInADescriptionAreCollectedInDocumentOrder) {
    std::string expected;
    std::string body =
        "<rss version=\"2.0\"><channel><item><title>Deep</title><link>https://a.example/deep"
        "</link><description>";
    for (std::size_t level = 0; level < kMillion; ++level) {
        const char letter = static_cast<char>('a' + level % 26);
        body += "<b>";
        body += letter;
        expected += letter;
    }
    body += repeated("</b>", kMillion);
    body += "tail</description></item></channel></rss>";
    expected += "tail";

    ASSERT_TRUE(read(std::move(body)));

    ASSERT_EQ(m_reader.FeedItems()->size(), 1u);
    const FeedItem& item = m_reader.FeedItems()->front();
    EXPECT_EQ(item.Title(), "Deep");
    EXPECT_EQ(item.URL(), "https://a.example/deep");
    EXPECT_EQ(item.Description().size(), expected.size());
    EXPECT_TRUE(item.Description() == expected) << "the text of every level, in order";
}

TEST_F(HostileFeed, MillionLevelsAtTheRootLoadOnlyWhenClosed) {
    const std::string opened = repeated("<a>", kMillion);
    const std::string closed = repeated("</a>", kMillion);

    XmlDocument document;
    document.loadXml(opened + "core" + closed);
    ASSERT_FALSE(document.isEmpty());
    EXPECT_EQ(XmlDocument::nodeText(document.selectSingleNode(document.root(), "/a")), "core");
    EXPECT_TRUE(document.selectSingleNode(document.root(), "/a/a/a/a"));

    document.loadXml(opened + "core");
    EXPECT_TRUE(document.isEmpty()) << "nothing closed";
    document.loadXml(opened + "</b>" + closed.substr(4));
    EXPECT_TRUE(document.isEmpty()) << "the innermost element closed under another name";

    // Through the reader: a deep document that is no feed is read once and refused.
    EXPECT_FALSE(read(opened + closed));
    EXPECT_EQ(hits(), 1);
    EXPECT_EQ(m_reader.LastHTTPStatus(), 200);
    EXPECT_EQ(m_reader.FeedType(), kUnknownFeed);
    EXPECT_TRUE(m_reader.FeedItems()->empty());
}

TEST_F(HostileFeed, HugeTextNodeIsReadWhole) {
    // 32 MiB in one description: blocks of letters, each ending in an escaped "&".
    constexpr std::size_t kBlocks = 32 * 1024;
    std::string letters;
    for (std::size_t i = 0; letters.size() < 1019; ++i) {
        letters += static_cast<char>('A' + i % 26);
    }
    const std::string head = oneItemFeed("Huge", "\x01");
    const std::size_t split = head.find('\x01');
    std::string body = head.substr(0, split) + "START:";
    std::string expected = "START:";
    body.reserve(kBlocks * 1024 + head.size() + 16);
    expected.reserve(kBlocks * 1020 + 16);
    for (std::size_t block = 0; block < kBlocks; ++block) {
        body.append(letters).append("&amp;");
        expected.append(letters).append("&");
    }
    body.append(":END").append(head, split + 1);
    expected.append(":END");

    ASSERT_TRUE(read(std::move(body)));

    ASSERT_EQ(m_reader.FeedItems()->size(), 1u);
    const FeedItem& item = m_reader.FeedItems()->front();
    EXPECT_EQ(item.Title(), "Huge");
    EXPECT_EQ(item.URL(), "https://a.example/1") << "the fields after the huge one were read";
    const std::string& text = item.Description();
    EXPECT_EQ(text.size(), expected.size());
    EXPECT_TRUE(text.starts_with("START:ABC"));
    EXPECT_TRUE(text.ends_with("VWXYZABCDE&:END"));
    std::size_t ampersands = 0;
    for (auto at = text.find('&'); at != std::string::npos; at = text.find('&', at + 1)) {
        ++ampersands;
    }
    EXPECT_EQ(ampersands, kBlocks);
    EXPECT_TRUE(text == expected);
}

TEST_F(HostileFeed, EntityBombsAreNeverExpanded) {
    std::string declarations = "<!DOCTYPE lolz [\n <!ENTITY lol \"lol\">\n";
    for (int level = 1; level <= 9; ++level) {
        declarations += " <!ENTITY lol" + std::to_string(level) + " \"" +
                        repeated("&lol" + (level > 1 ? std::to_string(level - 1) : "") + ";", 10) +
                        "\">\n";
    }
    declarations += "]>\n";
    const std::string feed = oneItemFeed("&lol9;", "x&lol9;y");

    // The reader's cleaning cuts the declaration at its first ">": what is left of
    // the internal subset is no document, and every component's copy is refused.
    EXPECT_FALSE(read("<?xml version=\"1.0\"?>\n" + declarations + feed));
    EXPECT_EQ(hits(), kHttpComponentCount);
    EXPECT_TRUE(m_reader.FeedItems()->empty());

    // A declaration without a subset goes whole; the reference stays as written.
    ASSERT_TRUE(read("<!DOCTYPE rss SYSTEM \"http://a.example/lol.dtd\">\n" + feed));
    ASSERT_EQ(m_reader.FeedItems()->size(), 1u);
    EXPECT_EQ(m_reader.FeedItems()->front().Title(), "&lol9;");
    EXPECT_EQ(m_reader.FeedItems()->front().Description(), "x&lol9;y");

    // The document component on its own skips the declarations and defines nothing.
    XmlDocument document;
    document.loadXml(declarations + feed);
    ASSERT_FALSE(document.isEmpty());
    EXPECT_EQ(XmlDocument::nodeText(document.selectSingleNode(document.root(), "//title")),
              "&lol9;");
}

std::string utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes;
    for (const char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

TEST_F(HostileFeed, BytesThatAreNoTextGiveCleanFailureOrSoundItems) {
    ASSERT_FALSE(isValidUtf8("\xC3\x28")) << "the checker itself";
    ASSERT_FALSE(isValidUtf8("\xED\xA0\x80"));
    ASSERT_TRUE(isValidUtf8("caf\xC3\xA9 \xF0\x9D\x84\x9E"));

    std::mt19937 random(20240611);
    const auto randomBytes = [&random](std::size_t count) {
        std::string bytes;
        for (std::size_t i = 0; i < count; ++i) {
            bytes += static_cast<char>(random() & 0xFF);
        }
        return bytes;
    };
    const std::u16string utf16Feed =
        u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><rss version=\"2.0\"><channel><item>"
        u"<title>Gr\u00fc\u00dfe \u2603 \U0001D11E</title></item></channel></rss>";
    const std::string utf16Title = "Gr\u00fc\u00dfe \u2603 \U0001D11E";
    const std::string brokenUtf8 =
        "a\xC3\x28 b\xE2\x82 c\xF0\x28\x8C\xBC d\xC0\xAF e\xED\xA0\x80 f\xF4\x90\x80\x80 g\xFF";

    struct Case {
        const char* name;
        std::string body;
        std::string contentType;
        // The title the reader must give, or a part of it, when the case has one.
        const char* title = nullptr;
        const char* titlePart = nullptr;
    };
    std::vector<Case> cases = {
        {"random bytes", randomBytes(64 * 1024), "application/rss+xml", nullptr},
        {"random bytes in a title", oneItemFeed(randomBytes(512)), "application/rss+xml", nullptr},
        {"invalid UTF-8 declared UTF-8", oneItemFeed(brokenUtf8), "text/xml; charset=utf-8",
         nullptr, "\xEF\xBF\xBD"},
        {"invalid UTF-8 undeclared", oneItemFeed(brokenUtf8), "text/xml", nullptr},
        {"UTF-16LE declared", utf16(utf16Feed, false), "text/xml; charset=utf-16le",
         utf16Title.c_str()},
        {"UTF-16BE declared", utf16(utf16Feed, true), "text/xml; charset=utf-16be",
         utf16Title.c_str()},
        {"UTF-16 declared without byte order", utf16(utf16Feed, false), "text/xml; charset=utf-16",
         utf16Title.c_str()},
        {"UTF-16LE undeclared", utf16(utf16Feed, false), "text/xml", nullptr},
        {"UTF-16BE undeclared", utf16(utf16Feed, true), "application/octet-stream", nullptr},
        {"NUL bytes", oneItemFeed(std::string("N\0U\0L", 5), std::string("\0\0x", 3)),
         "application/rss+xml", "NUL"},
        {"NUL references", oneItemFeed("a&#0;b&#x0;c", "&#0;"), "application/rss+xml", nullptr},
    };
    // A good feed with a few bytes overwritten anywhere, many times over: mostly
    // broken markup. Then bytes overwritten only inside the title, short of "<" and
    // "&": the markup holds, so the item must come through.
    const std::string good = oneItemFeed("Fine caf\xC3\xA9", "<p>Some <b>text</b></p>");
    for (int variant = 0; variant < 20; ++variant) {
        std::string body = good;
        for (int change = 0; change < 4; ++change) {
            body[random() % body.size()] = static_cast<char>(random() & 0xFF);
        }
        cases.push_back({"bytes overwritten anywhere", std::move(body), "application/rss+xml"});
    }
    for (int variant = 0; variant < 20; ++variant) {
        std::string title(64, 't');
        for (int change = 0; change < 8; ++change) {
            char byte = '<';
            while (byte == '<' || byte == '&') {
                byte = static_cast<char>(random() & 0xFF);
            }
            title[random() % title.size()] = byte;
        }
        cases.push_back({"bytes overwritten in a title", oneItemFeed(title), "application/rss+xml",
                         nullptr, "tt"});
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool ok = read(c.body, c.contentType);
        expectSoundItems(m_reader);
        if (!ok) {
            EXPECT_TRUE(m_reader.FeedItems()->empty()) << "a failure leaves nothing half read";
        }
        if (c.title != nullptr || c.titlePart != nullptr) {
            EXPECT_TRUE(ok);
            ASSERT_EQ(m_reader.FeedItems()->size(), 1u);
            const std::string& title = m_reader.FeedItems()->front().Title();
            if (c.title != nullptr) {
                EXPECT_EQ(title, c.title);
            } else {
                EXPECT_NE(title.find(c.titlePart), std::string::npos) << title;
            }
        }
    }
}

}  // namespace
}  // namespace lumeward::feed
