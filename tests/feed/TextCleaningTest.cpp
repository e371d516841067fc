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
    EXPECT_EQ(stripHtml("<p>" + scripts + "<b>\u65b0</b>\n</p>"), "\n" + scripts + "\u65b0\n\n");
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

// Mark-up as a browser hides it: comments and script and style elements whole, whatever
// they hold and however they end; a tag that ends a line becomes a line feed.
TEST(TextCleaning, StripsMarkupAsABrowserHidesIt) {
    const std::pair<std::string, std::string> cases[] = {
        {"Para one.<script>alert(2)</script>Para two", "Para one.Para two"},
        {"<style type=text/css>p > b {}</style>x<SCRIPT>a<b></Script\n>y", "xy"},
        {"a<script/>b</script>c<script >d</scripts></script >e<scripts>f</scripts>", "acef"},
        {"<!-- a > b -->c<!-->d<!--->e<!---->f<!-x>g", "cdefg"},
        {"x<!-- never closed", "x"},
        {"x<script>never closed</scrip>", "x"},
        {"end.<p>Next</p><P class=\"a\">third<br/>line<BR >4<hr>5",
         "end.\nNext\n\nthird\nline\n4\n5"},
        {"<table><tr><td>a</td></tr></table><ul><li>b</li></ul>", "\n\na\n\n\n\nb\n\n"},
        {"<h1>T</h1><h6>U</h6><h7>V</h7><div>W</div><blockquote>X</blockquote><pre>Y</pre>",
         "\nT\n\nU\nV\nW\n\nX\n\nY\n"},
        {"<prefix>a</p:x><brr>b<b>c</b><ol/><//p>", "abc\n"},
        // Runs keep their old bounds: no carriage return inside, "<>" alone stays.
        {"a < b > c <p\r>d <>", "a  c <p\r>d <>"},
        // A "<" in a run cut short opens no tag, though a comment or script still starts there.
        {"<a <!-- x\r -->b<a\r<script>c</script>d", "<a b<a\rd"},
        {"&lt;script&gt;&amp; kept", "&lt;script&gt;&amp; kept"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(stripHtml(text), expected) << text;
    }
}

// A run is "<" (or "<!DOCTYPE"), at least one character and the nearest ">"; it may cross
// a line feed but not a carriage return, U+2028 or U+2029. Random texts of the characters
// that matter, long enough to cross the blocks a fast scan works in, are cleaned as the
// regular expressions for these rules clean them.
TEST(TextCleaning, MatchesRegularExpressionsOnRandomText) {
    const auto flags = std::regex::ECMAScript | std::regex::icase;
    const std::string runCharacter = "(?:[^\r\xE2]|\xE2(?!\x80[\xA8\xA9]))";
    const std::string nameEnd = "(?=[ \\t\\n\\f\\r/>])";
    const auto element = [&nameEnd](const std::string& name) {
        return "<" + name + nameEnd + "[\\s\\S]*?(?:</" + name + nameEnd + "[^>]*>|$)|";
    };
    const std::regex html("<!(?=--)[\\s\\S]*?-->|<!--[\\s\\S]*$|" + element("script") +
                              element("style") +
                              "<(/?(?:br|p|div|li|tr|h[1-6]|blockquote|pre|hr|ul|ol|table)" +
                              nameEnd + ")" + runCharacter + "*?>|<" + runCharacter + "+?>",
                          flags);
    const std::regex feedText(
        "<!DOCTYPE" + runCharacter + "+?>|[\0-\x08\x0B\x0C\x0E-\x1F]|\xEF\xBF[\xBE\xBF]"s, flags);
    const std::vector<std::string> markup = {
        "<",    ">",    "!",   "-",   "--",     "/",        "p",        "P",
        "br",   "H1",   "pre", "fix", "script", "STYLE",    " ",        "\t",
        "\n",   "\r",   "\f",  "a",   "\u00e9", "\u65b0",   "\xE2\x80", "\xA8",
        "\xA9", "<!--", "-->", "</",  "<p>",    "<script>", "</script>"};
    // The last three, which open declarations, come up twice as often.
    const std::vector<std::string> feed = {
        "<",        ">",    "!",    "D",      "O",         "C",         "T",        "Y",    "P",
        "E",        "d",    "o",    "t",      "y",         "\n",        "\r",       "\t",   "\x01",
        "\0"s,      " ",    "a",    "\u00e9", "\u65b0",    "\xE2\x80",  "\xA8",     "\xA9", "\xA0",
        "\xEF\xBF", "\xBE", "\xBF", "\xBC",   "<!DOCTYPE", "<!doctype", "<!DocTyPe"};
    std::mt19937 random(20240611);
    const auto randomText = [&random](const std::vector<std::string>& pieces, std::size_t extra) {
        std::string text;
        for (const std::size_t length = random() % 100; text.size() < length;) {
            const std::size_t drawn = random() % (pieces.size() + extra);
            text += pieces[drawn < pieces.size() ? drawn : drawn - extra];
        }
        return text;
    };
    for (int round = 0; round < 6000; ++round) {
        const std::string text = randomText(markup, 0);
        std::string stripped;
        std::size_t keptFrom = 0;
        for (std::sregex_iterator match(text.begin(), text.end(), html), end; match != end;
             ++match) {
            stripped += text.substr(keptFrom, match->position() - keptFrom);
            stripped += (*match)[1].matched ? "\n" : "";
            keptFrom = match->position() + match->length();
        }
        EXPECT_EQ(stripHtml(text), stripped + text.substr(keptFrom)) << "text: " << text;
        const std::string feedBody = randomText(feed, 3);
        EXPECT_EQ(cleanFeedText(std::string(feedBody)), std::regex_replace(feedBody, feedText, ""))
            << "text: " << feedBody;
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
