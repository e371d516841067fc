#include "batch/JsonWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;
using lumeward::batch::appendJsonString;

namespace {

struct Case {
    std::string text;
    std::string expected;
};

const std::string kReplacement = "\xEF\xBF\xBD";

std::string json(const std::string& text) {
    std::string out;
    appendJsonString(out, text);
    return out;
}

void expectAll(const std::vector<Case>& cases) {
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(json(text), expected) << "text: " << testing::PrintToString(text);
    }
}

}  // namespace

TEST(JsonString, EscapesQuoteBackslashAndControlCharacters) {
    expectAll({
        {"", R"("")"},
        {"plain text", R"("plain text")"},
        {R"(say "hi")", R"("say \"hi\"")"},
        {R"(C:\dir\)", R"("C:\\dir\\")"},
        {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
        {"\0"s, R"("\u0000")"},
        {"a\x01z", R"("a\u0001z")"},
        {"\x0b\x1b\x1f", R"("\u000b\u001b\u001f")"},
        {"line\r\nnext", R"("line\r\nnext")"},
        {R"(\")", R"("\\\"")"},
    });
}

TEST(JsonString, PassesEverythingElseThroughUnchanged) {
    expectAll({
        {"/ ' < > & \x7f ~", "\"/ ' < > & \x7f ~\""},
        {"caf\u00e9", "\"caf\u00e9\""},
        {"\u65b0\u95fb \u2019s \u2028 \u2029", "\"\u65b0\u95fb \u2019s \u2028 \u2029\""},
        {"\U0001F600 \U0010FFFF \uFFFD \uFFFF", "\"\U0001F600 \U0010FFFF \uFFFD \uFFFF\""},
        {"\u0080\u07ff\u0800\ud7ff\ue000", "\"\u0080\u07ff\u0800\ud7ff\ue000\""},
    });
}

TEST(JsonString, ReplacesEachIllFormedUtf8SequenceOnce) {
    const auto& r = kReplacement;
    expectAll({
        // Bytes that never start a sequence.
        {"\x80", '"' + r + '"'},
        {"a\xbfz", "\"a" + r + "z\""},
        {"\xff\xfe", '"' + r + r + '"'},
        {"\xf5\x80", '"' + r + r + '"'},
        // Overlong forms.
        {"\xc0\xaf", '"' + r + r + '"'},
        {"\xc1\xbf", '"' + r + r + '"'},
        {"\xe0\x80\xaf", '"' + r + r + r + '"'},
        {"\xf0\x8f\xbf\xbf", '"' + r + r + r + r + '"'},
        // Surrogates and code points above U+10FFFF.
        {"\xed\xa0\x80", '"' + r + r + r + '"'},
        {"\xed\xbf\xbf", '"' + r + r + r + '"'},
        {"\xf4\x90\x80\x80", '"' + r + r + r + r + '"'},
        // A sequence cut short counts once, and the byte that cut it is kept.
        {"\xe6\x96", '"' + r + '"'},
        {"a\xc3", "\"a" + r + '"'},
        {"\xe6\x96z", '"' + r + "z\""},
        {"\xf0\x9f\x98\"", '"' + r + "\\\"\""},
        {"\xf0\x9f\x98\n", '"' + r + "\\n\""},
        {"\xe6\xe6\x96\xb0", '"' + r + "\u65b0\""},
        {"\xc3\xc3\xa9", '"' + r + "\u00e9\""},
    });
}
