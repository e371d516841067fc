#include "text/TextDecoding.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;
using lumeward::text::decodeResponseBody;

// 0xC1 is U+0430 in KOI8-R, U+0391 in ISO-8859-7 and U+00C1 in Windows-1252.
TEST(TextDecoding, MarkThenHeaderThenDeclarationThenUtf8ThenWindows1252) {
    const std::string koi8 = "<?xml version=\"1.0\" encoding=\"koi8-r\"?>";
    const std::string utf16 = "<?xml version=\"1.0\" encoding=\"utf-16\"?>";
    const std::string xml = "text/xml; charset=";
    const std::string hello = "h\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";  // h é 中 😀
    const std::string bad = "\xEF\xBF\xBD";
    // The first and last code points of each UTF-8 length, and the surrogates' neighbours.
    const std::string valid =
        "\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"
        "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
    std::string alphas;  // 100 times U+03B1, twice as long as in ISO-8859-7
    while (alphas.size() < 200) {
        alphas += "\xCE\xB1";
    }
    // High bytes at the start, in the first and second halves of a 16-byte block, and after.
    const auto spread = [](const std::string& high) {
        return "\0\x01a"s + high + std::string(16, 'a') + high + std::string(8, 'a') + high +
               std::string(6, 'a') + high + "aaa";
    };
    // An XML declaration whose "?>" ends `end` bytes into the body.
    const auto endingAt = [](std::size_t end) {
        return "<?xml version=\"1.0\"" + std::string(end - 38, ' ') + "encoding=\"koi8-r\"?>";
    };
    const struct {
        const char* name;
        std::string body;
        std::string contentType;
        std::string expected;
    } cases[] = {
        {"UTF-8 mark", "\xEF\xBB\xBF" + koi8 + hello, xml + "koi8-r", koi8 + hello},
        {"UTF-16LE mark", "\xFF\xFEh\0\xE9\0\x2D\x4E\x3D\xD8\0\xDE"s, xml + "koi8-r", hello},
        {"UTF-16BE mark", "\xFE\xFF\0h\0\xE9\x4E\x2D\xD8\x3D\xDE\0"s, xml + "koi8-r", hello},
        {"UTF-32LE mark", "\xFF\xFE\0\0h\0\0\0\xE9\0\0\0\x2D\x4E\0\0\0\xF6\x01\0"s, "", hello},
        {"UTF-32BE mark", "\0\0\xFE\xFF\0\0\0h\0\0\0\xE9\0\0\x4E\x2D\0\x01\xF6\0"s, "", hello},
        {"UTF-16LE by its declaration", "<\0?\0h\0\xE9\0"s, "", "<?h\xC3\xA9"},
        {"UTF-16BE by its declaration", "\0<\0?\0h\0\xE9\0"s, "", "<?h\xC3\xA9" + bad},
        {"odd length UTF-16", "\xFF\xFEh\0i\0j"s, "", "hi" + bad},
        {"header beats declaration", koi8 + "\xC1", xml + "iso-8859-7", koi8 + "\xCE\x91"},
        {"declaration", koi8 + "\xC1", "text/xml", koi8 + "\xD0\xB0"},
        {"unknown header charset", koi8 + "\xC1", xml + "x-no-such", koi8 + "\xD0\xB0"},
        {"a charset only iconv knows", koi8 + "\x80", xml + "IBM855", koi8 + "\xD1\x92"},
        {"header parameters", "\xC1", "text/xml;q=1 ;  CharSet = \"KOI8-R\" ; x=y", "\xD0\xB0"},
        {"single quotes", "<?xml version='1.0' encoding = 'KOI8-R' ?>\xC1", "",
         "<?xml version='1.0' encoding = 'KOI8-R' ?>\xD0\xB0"},
        {"declaration not at the start", " " + koi8 + "\xC1", "", " " + koi8 + "\xC3\x81"},
        {"declaration ending at 1024", endingAt(1024) + "\xC1", "", endingAt(1024) + "\xD0\xB0"},
        {"declaration ending past 1024", endingAt(1025) + "\xC1", "", endingAt(1025) + "\xC3\x81"},
        {"UTF-16 named in an ASCII declaration", utf16 + "\xC3\xA9", "", utf16 + "\xC3\xA9"},
        {"valid UTF-8 as it is", valid, "", valid},
        {"high bytes around the blocks, NUL", spread("\x80"), "", spread("\xE2\x82\xAC")},
        {"otherwise Windows-1252", "\x80\x92\xE9\x81\x9D\xC3\xA9", "",
         "\xE2\x82\xAC\xE2\x80\x99\xC3\xA9\xC2\x81\xC2\x9D\xC3\x83\xC2\xA9"},
        {"NUL and controls kept", "a\0b\x01\x1F\x7F"s, xml + "koi8-r", "a\0b\x01\x1F\x7F"s},
        {"empty", "", xml + "utf-16", ""},
        // JSON is UTF-8 whatever the header says; a mark after white space goes with it.
        {"JSON object", " \xEF\xBB\xBF {\"a\":\"" + hello + "\x80\"}", xml + "koi8-r",
         " \xEF\xBB\xBF {\"a\":\"" + hello + bad + "\"}"},
        {"JSON array", "[\xC1]", xml + "koi8-r", "[\xD0\xB0]"},
        // Declared UTF-8: each maximal invalid part becomes one U+FFFD.
        {"invalid UTF-8",
         "a\xF1\x80\x80\xE1\x80\xC2z\x80y\xC0\x80\xED\xA0\x80\xF4\x90x\xF0\x9F\x98", xml + "utf-8",
         "a" + bad + bad + bad + "z" + bad + "y" + bad + bad + bad + bad + bad + bad + bad + "x" +
             bad},
        // A byte the charset lacks, then more text than the first guess at its length.
        {"text twice as long", "\xD2" + std::string(100, '\xE1'), xml + "iso-8859-7", bad + alphas},
        // glibc writes a UCS-4 value above U+10FFFF as bytes no UTF-8 reader accepts.
        {"conversion suffix", "\xC1", xml + "koi8-r//TRANSLIT", "\xC3\x81"},
        {"value above U+10FFFF", "\0\0\x11\0b\0\0\0"s, xml + "ucs-4le",
         bad + bad + bad + bad + "b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decodeResponseBody(std::string(c.body), c.contentType), c.expected) << c.name;
    }
}

// Sequences the encoding does not define, one U+FFFD each; the bytes a decoder gives back
// are read again. Which bytes decode to what is the index walk's part (EncodingIndexTest).
TEST(TextDecoding, EachInvalidSequenceIsOneReplacementAndDecodingResumesAsBrowsersDo) {
    const std::string bad = "\xEF\xBF\xBD";
    const std::string smiley = "\xF0\x9F\x98\x80";
    const struct {
        const char* charset;
        std::string body;
        std::string expected;
    } cases[] = {
        {"shift_jis", "/~user/\\\x80\xA1\xDF", "/~user/\\\xC2\x80\xEF\xBD\xA1\xEF\xBE\x9F"},
        {"shift_jis", "\xF0\x40\xF9\xFC", "\xEE\x80\x80\xEE\x9D\x97"},  // user-defined rows
        {"shift_jis", "\x85\x40\x81\x7F\x81\xFD\xA0\xFD\x81",
         bad + "@" + bad + "\x7F" + bad + bad + bad + bad},
        {"euc-kr", "\x81\x41\xB0\xA1\x81\x3A\x80\xFF\x81",
         "\xEA\xB0\x82\xEA\xB0\x80" + bad + ":" + bad + bad + bad},
        {"gbk", "\x80\xFF\x81\x7F\x81\xFF", "\xE2\x82\xAC" + bad + bad + "\x7F" + bad},
        {"gb18030", "\x81\x30\x81x\x81\x30x", bad + "0\xE4\xBA\x81" + bad + "0x"},
        {"gb18030", "\x81\x35\xF4\x37\x84\x31\xA4\x39\x84\x31\xA5\x30",
         "\xEE\x9F\x87\xEF\xBF\xBF" + bad},
        {"gb18030", "\xE3\x32\x9A\x35\xE3\x32\x9A\x36\x81\x30\x81", "\xF4\x8F\xBF\xBF" + bad + bad},
        {"gb18030", "\x81\x30", bad},
        {"big5", "\x88\x62\x88\x64\x88\xA3\x88\xA5",
         "\xC3\x8A\xCC\x84\xC3\x8A\xCC\x8C\xC3\xAA\xCC\x84\xC3\xAA\xCC\x8C"},
        {"big5", "\x80\x81\x40\xA4\x80\xA4", bad + bad + "@" + bad + bad},
        {"euc-jp", "\x8E\xA1\x8E\xE0\x8Ex\x8F\xA1x\x8F\x30\xFF\x8F\xA1",
         "\xEF\xBD\xA1" + bad + bad + "x" + bad + "x" + bad + "0" + bad + bad},
        {"iso-2022-jp", "\x1B$B\x30\x21\x1B(Bz\x1B(J\\~\x1B(I\x21",
         "\xE4\xBA\x9Cz\xC2\xA5\xE2\x80\xBE\xEF\xBD\xA1"},
        {"iso-2022-jp", "\x1B(J\x1B(Ba\x1B(Zb\x1Bx", bad + "a" + bad + "(Zb" + bad + "x"},
        {"iso-2022-jp", "\x1B$B\x30\x1B(Ba\x1B$B\x30", bad + "a" + bad},
        {"iso-2022-jp", "\x80\x0E\x1B(I\x60\x1B$B\x0A\x30\x80\x1B(Bc\x1B(J",
         bad + bad + bad + bad + bad + "c"},
        {"iso-2022-jp", "d\x1B", "d" + bad},
        {"utf-16le",
         "\x00\xDC\x3D\xD8"
         "a\0\x3D\xD8\x3D\xD8\x00\xDE\x3D\xD8x"s,
         bad + bad + "a" + bad + smiley + bad},
        {"utf-16be", "\0a\xD8\x3D\xDE\x00"s, "a" + smiley},
        {"utf-16", "a\0"s, "a"},  // little-endian, as browsers read it
        {"iso-2022-kr", "abc", bad},
        // A label only iconv knows: after an invalid byte it resumes, a cut-off end is one.
        {"eucjp", "\xA4\xA2\xFF\xA4\xA2\xA4", "\xE3\x81\x82" + bad + "\xE3\x81\x82" + bad},
        {"replacement", "", ""},
        {"x-user-defined",
         "\x80\xFF"
         "a",
         "\xEF\x9E\x80\xEF\x9F\xBF"
         "a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            decodeResponseBody(std::string(c.body), std::string("text/xml; charset=") + c.charset),
            c.expected)
            << c.charset << " " << c.body;
    }
}
