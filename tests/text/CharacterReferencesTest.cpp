#include "text/HtmlCharacterReferences.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

using lumeward::text::decodeCharacterReferences;

namespace {

std::string decoded(const std::string& text) {
    return decodeCharacterReferences(std::string(text));
}

}  // namespace

TEST(CharacterReferences, DecodeAsABrowserDoesInText) {
    const std::string replaced = "\ufffd";
    const std::pair<std::string, std::string> cases[] = {
        // Named: the whole table, exact case; legacy names also without ";", and the
        // longest name wins.
        {"caf&eacute; &amp;amp; &lt;notes&gt; &nbsp;", "caf\u00e9 &amp; <notes> \u00a0"},
        {"&copy 2026 &COPY; &Copy;", "\u00a9 2026 \u00a9 &Copy;"},
        {"&notit; &notin; &not &ampx &amp", "\u00acit; \u2209 \u00ac &x &"},
        {"&CounterClockwiseContourIntegral;&nGt;&NewLine;&bsol;", "\u2233\u226b\u20d2\n\\"},
        {"&nosuch; &eacut &fracx &; & &&amp; a&b", "&nosuch; &eacut &fracx &; & && a&b"},
        // Numbers: decimal and hexadecimal, ";" optional, any number of digits.
        {"&#8212;&#x2014;&#X2014&#8230;&#x1F600;&#000065;", "\u2014\u2014\u2014\u2026\U0001F600A"},
        {"&#; &#x; &#xg; &#a &# &#x", "&#; &#x; &#xg; &#a &# &#x"},
        // The standard's replacements.
        {"&#0;&#xD800;&#xDFFF;&#x110000;&#99999999999999999999;",
         replaced + replaced + replaced + replaced + replaced},
        {"&#128;&#x81;&#x8D;&#x9F;&#150;", "\u20ac\u0081\u008d\u0178\u2013"},
        // What XML forbids yields nothing; the rest of the controls stay.
        {"[&#1;&#x0C;&#11;&#31;&#xFFFE;&#65535;]", "[]"},
        {"&#9;&#10;&#13;&#x7F;&#xFDD0;&#x10FFFF;", "\t\n\r\u007f\ufdd0\U0010FFFF"},
        // Decoded once: what a reference yields is not read again.
        {"&#38;amp; &amp;#38;", "&amp; &#38;"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(decoded(text), expected) << text;
    }
}

// Python's html.unescape implements the same rules, apart from the characters it drops
// (controls, noncharacters): it is given our set. One Python process decodes every string.
TEST(CharacterReferences, AgreeWithPythonOnRandomText) {
    const std::vector<std::string> pieces = {"&",
                                             "&",
                                             "&#",
                                             "&#x",
                                             "&#X",
                                             ";",
                                             ";",
                                             "0",
                                             "1",
                                             "9",
                                             "12",
                                             "128",
                                             "150",
                                             "55296",
                                             "65534",
                                             "1114112",
                                             "A",
                                             "f",
                                             "x",
                                             "D800",
                                             "a",
                                             "z",
                                             "Z",
                                             " ",
                                             "\n",
                                             "\u00e9",
                                             "\u2014",
                                             "amp",
                                             "lt",
                                             "not",
                                             "in",
                                             "it",
                                             "nbsp",
                                             "copy",
                                             "COPY",
                                             "eacute",
                                             "frac12",
                                             "nGt",
                                             "AElig",
                                             "Amp",
                                             "CounterClockwiseContourIntegral",
                                             "#",
                                             "-",
                                             "\U0001F600"};
    std::mt19937 random(20261207);
    std::vector<std::string> texts;
    std::string input;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (std::size_t count = random() % 16; count > 0; --count) {
            text += pieces[random() % pieces.size()];
        }
        input += text + '\x1e';
        texts.push_back(std::move(text));
    }
    const lumeward::test::TempDir dir;
    const auto in = dir.write("in", input);
    const auto out = dir.path() / "out";
    const std::string script =
        "import html, sys\n"
        "html._invalid_codepoints = {*range(1, 9), 11, 12, *range(14, 32), 0xFFFE, 0xFFFF}\n"
        "texts = open(sys.argv[1], 'rb').read().decode().split('\\x1e')\n"
        "open(sys.argv[2], 'wb').write('\\x1e'.join(map(html.unescape, texts)).encode())\n";
    const auto python = lumeward::test::runProgram(LUMEWARD_PYTHON, {"-c", script, in, out});
    ASSERT_EQ(python.status, 0) << python.err;
    const std::string expected = lumeward::test::readFile(out);
    std::size_t from = 0;
    int differences = 0;
    for (const std::string& text : texts) {
        const std::size_t end = expected.find('\x1e', from);
        ASSERT_NE(end, std::string::npos);
        const std::string python_result = expected.substr(from, end - from);
        from = end + 1;
        if (decoded(text) != python_result && ++differences <= 10) {
            ADD_FAILURE() << "text: " << text << "\nours: " << decoded(text)
                          << "\nPython: " << python_result;
        }
    }
    EXPECT_EQ(differences, 0);
}
