#include "batch/JsonWriter.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

TEST(JsonString, EscapesQuoteBackslashAndControlsAndReplacesEachIllFormedSequenceOnce) {
    const std::string r = "\xEF\xBF\xBD";  // U+FFFD
    // The rest of ASCII and every well-formed sequence pass through.
    const std::string kept = " /'<>&\x7f~\u0080\u07ff\u0800\ud7ff\ue000\uffff\U0001F600\U0010FFFF";
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},  {kept, kept},  {R"(say "hi" C:\d\)", R"(say \"hi\" C:\\d\\)"},
        {"\b\f\n\r\t", R"(\b\f\n\r\t)"},
        {std::string("a\0\x01\x0b\x1b\x1fz", 7), R"(a\u0000\u0001\u000b\u001b\u001fz)"},
        // Stray, overlong, surrogate and out-of-range bytes.
        {"a\x80\xbf" "z\xff", "a" + r + r + "z" + r},  {"\xc0\xaf", r + r},
        {"\xe0\x80\xaf", r + r + r},  {"\xed\xa0\x80", r + r + r},
        {"\xf4\x90\x80\x80", r + r + r + r},
        // A sequence cut short counts once, and the byte that cut it is kept.
        {"a\xc3", "a" + r},  {"\xe6\x96z", r + "z"},  {"\xf0\x9f\x98\"", r + "\\\""},
        {"\xe6\xe6\x96\xb0", r + "\u65b0"}};
    // clang-format on
    for (const auto& [text, expected] : cases) {
        std::string out = "[";
        lumeward::batch::appendJsonString(out, text);
        EXPECT_EQ(out, "[\"" + expected + "\"") << testing::PrintToString(text);
    }
}
