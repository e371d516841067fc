#include "feed/TextCleaning.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <random>
#include <regex>
#include <string>
#include <vector>

using namespace std::string_literals;
using lumeward::feed::cleanFeedText;
using lumeward::feed::stripHtml;

namespace {

struct Case {
    std::string input;
    std::string expected;
};

std::string repeated(const std::string& piece, std::size_t totalBytes) {
    std::string text;
    text.reserve(totalBytes + piece.size());
    while (text.size() < totalBytes) {
        text += piece;
    }
    return text;
}

std::string cleaned(std::string text) {
    return cleanFeedText(std::move(text));
}

}  // namespace

TEST(StripHtml, RemovesEachRunUpToTheNearestClosingBracket) {
    const std::vector<Case> cases = {
        {"", ""},
        {"a<br>b", "ab"},
        {"x <!-- c --> y", "x  y"},
        {"1 < 2 and 3 > 2", "1  2"},
        {"<>>", ""},
        {"<>x>", ""},
        {"<<a>b>", "b>"},
        {"a<b\nc>d", "ad"},
        {"<p>caf\u00e9 <b>bold</b></p>", "caf\u00e9 bold"},
        {"<a href=\"x?a=1&amp;b=2\">\u65b0\u95fb</a>", "\u65b0\u95fb"},
        {"<img src=\"a.png\"/>\u2019s", "\u2019s"},
        {"<\u2014>x", "x"},
        {"<\U0001F600>\U0001F600", "\U0001F600"},
        {"a<b>c<d>e<f>", "ace"},
        {"text without any tag", "text without any tag"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(stripHtml(input), expected) << "input: " << input;
    }
}

TEST(StripHtml, KeepsBracketsThatOpenNoRun) {
    const std::vector<Case> cases = {
        {"<>", "<>"},
        {"<", "<"},
        {"a<", "a<"},
        {"a < b", "a < b"},
        {"a<b\rc>d", "a<b\rc>d"},
        {"<\r>>", "<\r>>"},
        {"a<b\u2028c>d", "a<b\u2028c>d"},
        {"a<b\u2029c>d", "a<b\u2029c>d"},
        {"<\u2028>", "<\u2028>"},
        // A "<" after the carriage return opens a run of its own.
        {"<a\r<b>", "<a\r"},
        // U+2020 and U+202A share the lead bytes of the terminators but are text.
        {"<\u2020\u202a>x", "x"},
        // Invalid UTF-8 is carried as bytes.
        {"\xff<\xe2\x80>\xe2", "\xff\xe2"},
        {"<\xe2", "<\xe2"},
        {"<a\xe2\x80", "<a\xe2\x80"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(stripHtml(input), expected) << "input: " << input;
    }
}

TEST(CleanFeedText, RemovesDocumentTypeDeclarations) {
    const std::vector<Case> cases = {
        {"<!DOCTYPE rss><rss/>", "<rss/>"},
        {"<!doctype html>x", "x"},
        {"<!DocType html>x", "x"},
        {"<!dOCTYPe html>x", "x"},
        {"<!DOCTYPE><rss>x", "x"},
        {"<!DOCTYPE>>x", "x"},
        {"<!DOCTYPE r [<!ENTITY a 'b'>]><r/>", "]><r/>"},
        {"<!DOCTYPE r\n  SYSTEM \"r.dtd\">\n<r/>", "\n<r/>"},
        {"<!DOCTYPE a\x01\x02><r/>", "<r/>"},
        {"<r>1</r><!DOCTYPE b><!DOCTYPE c>", "<r>1</r>"},
        {"<!DOCTYPE \u65b0\u95fb>x", "x"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(cleaned(input), expected) << "input: " << input;
    }
}

TEST(CleanFeedText, KeepsDeclarationsThatCannotEnd) {
    const std::vector<Case> cases = {
        {"<!DOCTYPE r\r\n>\x01<r/>", "<!DOCTYPE r\r\n><r/>"},
        {"<!DOCTYPE r\u2028><r/>", "<!DOCTYPE r\u2028><r/>"},
        {"<!DOCTYPE\u2029><r/>", "<!DOCTYPE\u2029><r/>"},
        {"<!DOCTYPE>", "<!DOCTYPE>"},
        {"<!DOCTYPE", "<!DOCTYPE"},
        {"<!DOCTYP>x>", "<!DOCTYP>x>"},
        {"<!DOCTYPE rss", "<!DOCTYPE rss"},
        {"< !DOCTYPE r>", "< !DOCTYPE r>"},
        {"<!-- DOCTYPE -->", "<!-- DOCTYPE -->"},
        {"<![CDATA[<b>]]>", "<![CDATA[<b>]]>"},
        // A later declaration on the next line still counts.
        {"<!DOCTYPE a\r<!DOCTYPE b>c", "<!DOCTYPE a\rc"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(cleaned(input), expected) << "input: " << input;
    }
}

TEST(CleanFeedText, RemovesEveryCharacterXmlForbidsAndKeepsTabAndLineBreaks) {
    for (int code = 0; code < 0x20; ++code) {
        const std::string input = "a"s + static_cast<char>(code) + "b";
        const bool allowed = code == '\t' || code == '\n' || code == '\r';
        EXPECT_EQ(cleaned(input), allowed ? input : "ab") << "code " << code;
    }
    EXPECT_EQ(cleaned("a\xef\xbf\xbe"
                      "b\xef\xbf\xbf"
                      "c"),
              "abc");
    EXPECT_EQ(cleaned("\x00\x00\xef\xbf\xbf"s), "");
}

TEST(CleanFeedText, KeepsEveryOtherCharacter) {
    const std::vector<std::string> inputs = {
        "a\tb\r\nc",
        "it\u2019s \u201cquoted\u201d \u2014 done",
        "\u041f\u0440\u0438\u0432\u0435\u0442 \u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1",
        "\u65b0\u95fb \u30cb\u30e5\u30fc\u30b9 \ud55c\uad6d\uc5b4",
        "\U0001F600 \U0001F1EB\U0001F1F7",
        "\ufffd replacement, \ufeff byte-order mark, \uff0c fullwidth comma",
        "\x7f delete and \u0085 next line",
        "\u2028 and \u2029 outside declarations",
        "<rss version=\"2.0\"><!-- note --><![CDATA[x]]></rss>",
    };
    for (const auto& input : inputs) {
        EXPECT_EQ(cleaned(input), input);
    }
}

// Every removal placed at every offset around the block sizes a fast scan may use.
TEST(TextCleaning, RemovesRunsAtEveryOffset) {
    const std::vector<Case> forFeedText = {
        {"\x01", ""},
        {"\xef\xbf\xbe", ""},
        {"<!DOCTYPE r>", ""},
        {"<!DOCTYPE rss PUBLIC \"-//Netscape//DTD RSS 0.91//EN\">", ""},
        {"<!DOCTYPE\r>", "<!DOCTYPE\r>"},
        {"\xef\xbc\x8c", "\xef\xbc\x8c"},
    };
    const std::vector<Case> forHtml = {
        {"<b>", ""},
        {"<>>", ""},
        {"<\r>", "<\r>"},
        {"<\u2029>", "<\u2029>"},
        {"<a\u2028b>", "<a\u2028b>"},
        {"<a\u2020b>", ""},
        {"<!-- x\n -->", ""},
        {"<a href=\"https://example.org/a/long/path\">", ""},
        {"<a href=\"https://example.org/a/long/path\u2029\">",
         "<a href=\"https://example.org/a/long/path\u2029\">"},
    };
    // The text before stays ASCII so that any cut leaves valid UTF-8.
    const std::string head = "Zurich, Lyon and Oslo: more text before, and so on";
    const std::string after = "Z\u00fcrich \u00e9t\u00e9, \u65b0\u95fb and more text here";
    for (std::size_t offset = 0; offset <= head.size(); ++offset) {
        const std::string before = head.substr(0, offset);
        for (const auto& [piece, expected] : forFeedText) {
            EXPECT_EQ(cleaned(before + piece + after), before + expected + after)
                << "offset " << offset << ", piece " << piece;
        }
        for (const auto& [piece, expected] : forHtml) {
            EXPECT_EQ(stripHtml(before + piece + after), before + expected + after)
                << "offset " << offset << ", piece " << piece;
        }
    }
}

TEST(CleanFeedText, CompactsInPlaceAndCopiesNothingWhenNothingGoes) {
    std::string untouched = repeated("plain feed text \u65b0\u95fb\n", 4096);
    const std::string original = untouched;
    const char* buffer = untouched.data();
    const std::string result = cleanFeedText(std::move(untouched));
    EXPECT_EQ(result.data(), buffer);
    EXPECT_EQ(result, original);

    std::string dirty = repeated("text\x01\x02 \xef\xbf\xbf", 4096);
    const std::size_t pieces = dirty.size() / 10;
    const char* dirtyBuffer = dirty.data();
    const std::string compacted = cleanFeedText(std::move(dirty));
    EXPECT_EQ(compacted.data(), dirtyBuffer);
    EXPECT_EQ(compacted, repeated("text ", pieces * 5));
}

TEST(TextCleaning, HostileInputsGiveTheRightResult) {
    constexpr std::size_t kMegabyte = 1 << 20;
    const std::string openings(kMegabyte, '<');
    EXPECT_EQ(stripHtml(openings), openings);
    EXPECT_EQ(cleaned(openings), openings);
    EXPECT_EQ(stripHtml(openings + ">"), "");
    EXPECT_EQ(stripHtml(openings + "\r>"), openings + "\r>");

    const std::string declarations = repeated("<!DOCTYPE", kMegabyte);
    EXPECT_EQ(cleaned(declarations), declarations);
    EXPECT_EQ(stripHtml(declarations), declarations);
    EXPECT_EQ(cleaned(declarations + ">x"), "x");
    EXPECT_EQ(cleaned(declarations + "\x01"), declarations);

    const std::string interrupted = repeated("<a\r", kMegabyte);
    EXPECT_EQ(stripHtml(interrupted), interrupted);
    EXPECT_EQ(stripHtml(interrupted + "<b>"), interrupted);

    const std::string unclosedDeclarations = repeated("<!DOCTYPE a\r", kMegabyte);
    EXPECT_EQ(cleaned(unclosedDeclarations), unclosedDeclarations);
}

// Compares both cleaners with the regular expressions they stand for on short
// random texts full of the characters that matter.
TEST(TextCleaning, MatchesRegularExpressionsOnRandomText) {
    const auto flags = std::regex::ECMAScript | std::regex::icase;
    const std::regex html("<(.|\n)+?>", flags);
    const std::regex feedText("<!DOCTYPE(.|\n)+?>|[\0-\x08\x0B\x0C\x0E-\x1F]"s, flags);
    const std::array<std::string, 26> pieces = {
        "<",  ">",  "!",    "D", "O", "C",         "T",         "Y",         "P",
        "E",  "d",  "o",    "c", "t", "y",         "p",         "e",         "\n",
        "\r", "\t", "\x01", " ", "a", "<!DOCTYPE", "<!doctype", "<!DocTyPe",
    };
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> lengthOf(0, 40);
    // The last three pieces open declarations; give them about one draw in six.
    std::uniform_int_distribution<std::size_t> piece(0, pieces.size() + 1);
    for (int round = 0; round < 4000; ++round) {
        const std::size_t length = lengthOf(random);
        std::string text;
        while (text.size() < length) {
            const std::size_t drawn = piece(random);
            text += pieces[drawn < pieces.size() ? drawn : pieces.size() - 3];
        }
        text.resize(length);
        EXPECT_EQ(stripHtml(text), std::regex_replace(text, html, "")) << "text: " << text;
        EXPECT_EQ(cleaned(text), std::regex_replace(text, feedText, "")) << "text: " << text;
    }
}
