#include "feed/TextCleaning.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

using namespace std::string_literals;
using lumeward::feed::cleanFeedText;
using lumeward::feed::stripHtml;

namespace {

std::string repeated(const std::string& piece, std::size_t times) {
    std::string text;
    while (times-- > 0) {
        text += piece;
    }
    return text;
}

}  // namespace

TEST(TextCleaning, KeepsEveryScriptAndRemovesOnlyWhatXmlForbids) {
    const std::string scripts =
        "it\u2019s \u201cquoted\u201d \u041f\u0440\u0438 \u65b0\u95fb \ud55c \U0001F600 \ufffd"
        "\ufeff\uff0c\u0085\x7f\t\r\n";
    EXPECT_EQ(stripHtml("<p>" + scripts + "<b>\u65b0</b>\n</p>"), scripts + "\u65b0\n");
    EXPECT_EQ(cleanFeedText("<!DOCTYPE \u65b0>" + scripts + "\xef\xbf\xbe\xef\xbf\xbf"), scripts);
    for (char code = 0; code < 0x20; ++code) {
        const bool allowed = code == '\t' || code == '\n' || code == '\r';
        EXPECT_EQ(cleanFeedText("a"s + code + "b"), allowed ? "a"s + code + "b" : "ab") << +code;
    }
}

// An internal subset holds ">" of its own, so the declaration goes up to "]" and ">";
// quoted strings and comments inside may hold both. One that never closes ends the
// declaration at its first ">", as one without a subset does.
TEST(TextCleaning, RemovesADocumentTypeWithItsInternalSubsetWhole) {
    const std::pair<std::string, std::string> cases[] = {
        {"<!DOCTYPE rss [<!ENTITY nbsp \"&#160;\">]><rss/>", "<rss/>"},
        {"<!doctype rss [\r\n<!ENTITY a 'x]>'>\r\n<!-- ]> -->\r\n] >\r\n<rss/>", "\r\n<rss/>"},
        {"<!DOCTYPE rss SYSTEM \"r.dtd\" [ <!ENTITY b \"]\"> ]>\x01<rss/>", "<rss/>"},
        {"<!DOCTYPE x [>a<!DOCTYPE y [ ]>b", "b"},
        {"<!DOCTYPE x [ <!ENTITY c \"]> <rss/>", " <rss/>"},
        {"<!DOCTYPE x [ ]y> <rss/>", " <rss/>"}};
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(cleanFeedText(std::string(text)), expected) << text;
    }
}

// A run is "<" (or "<!DOCTYPE"), at least one character and the nearest ">"; it may cross
// a line feed but not a carriage return, U+2028 or U+2029. Random texts of the characters
// that matter, long enough to cross the blocks a fast scan works in, are cleaned as the
// regular expressions for these rules clean them.
TEST(TextCleaning, MatchesRegularExpressionsOnRandomText) {
    const auto flags = std::regex::ECMAScript | std::regex::icase;
    const std::string runCharacter = "(?:[^\r\xE2]|\xE2(?!\x80[\xA8\xA9]))";
    const std::regex html("<" + runCharacter + "+?>", flags);
    const std::regex feedText(
        "<!DOCTYPE" + runCharacter + "+?>|[\0-\x08\x0B\x0C\x0E-\x1F]|\xEF\xBF[\xBE\xBF]"s, flags);
    // The last three, which open declarations, come up twice as often.
    const std::vector<std::string> pieces = {
        "<",        ">",    "!",    "D",      "O",         "C",         "T",        "Y",    "P",
        "E",        "d",    "o",    "t",      "y",         "\n",        "\r",       "\t",   "\x01",
        "\0"s,      " ",    "a",    "\u00e9", "\u65b0",    "\xE2\x80",  "\xA8",     "\xA9", "\xA0",
        "\xEF\xBF", "\xBE", "\xBF", "\xBC",   "<!DOCTYPE", "<!doctype", "<!DocTyPe"};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() + 2);
    for (int round = 0; round < 6000; ++round) {
        std::string text;
        for (const std::size_t length = random() % 100; text.size() < length;) {
            const std::size_t drawn = pick(random);
            text += pieces[drawn < pieces.size() ? drawn : drawn - 3];
        }
        EXPECT_EQ(stripHtml(text), std::regex_replace(text, html, "")) << "text: " << text;
        EXPECT_EQ(cleanFeedText(std::string(text)), std::regex_replace(text, feedText, ""))
            << "text: " << text;
    }
}

// Runs that never close: a scan that starts over at each opening would not finish.
TEST(TextCleaning, HostileInputsTakeLinearTime) {
    const std::string openings(1 << 20, '<');
    EXPECT_EQ(stripHtml(openings + ">"), "");
    EXPECT_EQ(stripHtml(openings + "\r>"), openings + "\r>");
    const std::string interrupted = repeated("<a\u2028", 1 << 18);
    EXPECT_EQ(stripHtml(interrupted + "<b>"), interrupted);
    const std::string declarations = repeated("<!DOCTYPE", 1 << 17);
    EXPECT_EQ(cleanFeedText(declarations + "\x01"), declarations);
    EXPECT_EQ(cleanFeedText(declarations + ">x"), "x");
    for (const std::string unclosed : {"<!DOCTYPE a\r", "<!DOCTYPE x ["}) {
        const std::string text = repeated(unclosed, 1 << 17);
        EXPECT_EQ(cleanFeedText(text + "\x01"), text);
    }
    EXPECT_EQ(cleanFeedText(repeated("<!DOCTYPE x [>", 1 << 17) + "\x01"), "");
}
