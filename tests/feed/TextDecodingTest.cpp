#include "feed/TextDecoding.h"

#include "support/TextChecks.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace lumeward::feed {
namespace {

using namespace std::string_literals;

// 0xC1 is U+0430 in KOI8-R, U+0391 in ISO-8859-7 and U+00C1 in Windows-1252.
TEST(TextDecoding, MarkThenHeaderThenDeclarationThenUtf8ThenWindows1252) {
    const std::string koi8 = "<?xml version=\"1.0\" encoding=\"koi8-r\"?>";
    const std::string xml = "text/xml; charset=";
    const std::string hello = "h\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";  // h é 中 😀
    const std::string bad = "\xEF\xBF\xBD";
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
        {"UTF-16BE by its declaration", "\0<\0?\0h\0\xE9"s, "", "<?h\xC3\xA9"},
        {"odd length UTF-16", "\xFF\xFEh\0i\0j"s, "", "hi" + bad},
        {"header beats declaration", koi8 + "\xC1", xml + "iso-8859-7", koi8 + "\xCE\x91"},
        {"declaration", koi8 + "\xC1", "text/xml", koi8 + "\xD0\xB0"},
        {"unknown header charset", koi8 + "\xC1", xml + "x-no-such", koi8 + "\xD0\xB0"},
        {"header parameters", "\xC1", "text/xml;q=1 ;  CharSet = \"KOI8-R\" ; x=y", "\xD0\xB0"},
        {"single quotes", "<?xml version='1.0' encoding = 'KOI8-R' ?>\xC1", "",
         "<?xml version='1.0' encoding = 'KOI8-R' ?>\xD0\xB0"},
        {"declaration not at the start", " " + koi8 + "\xC1", "", " " + koi8 + "\xC3\x81"},
        {"declaration ending at 1024", endingAt(1024) + "\xC1", "", endingAt(1024) + "\xD0\xB0"},
        {"declaration ending past 1024", endingAt(1025) + "\xC1", "", endingAt(1025) + "\xC3\x81"},
        {"UTF-16 named in an ASCII declaration",
         "<?xml version=\"1.0\" encoding=\"utf-16\"?>\xC3\xA9", "",
         "<?xml version=\"1.0\" encoding=\"utf-16\"?>\xC3\xA9"},
        {"Latin-1 reads as Windows-1252", "\xC1\x92", xml + "ISO-8859-1", "\xC3\x81\xE2\x80\x99"},
        {"valid UTF-8 as it is", "\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEF\xBF\xBF" + hello, "",
         "\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEF\xBF\xBF" + hello},
        {"otherwise Windows-1252", "\x80\x92\xE9\x81\x9D\xC3\xA9", "",
         "\xE2\x82\xAC\xE2\x80\x99\xC3\xA9\xC2\x81\xC2\x9D\xC3\x83\xC2\xA9"},
        {"NUL and controls kept", "a\0b\x01\x1F\x7F"s, xml + "koi8-r", "a\0b\x01\x1F\x7F"s},
        {"NUL and controls kept in Windows-1252", "\0\x01\x80"s, "", "\0\x01\xE2\x82\xAC"s},
        {"empty", "", xml + "utf-16", ""},
        // Declared UTF-8: each maximal invalid part becomes one U+FFFD.
        {"invalid UTF-8",
         "a\xF1\x80\x80\xE1\x80\xC2"
         "b\x80"
         "c\xC0\x80\xED\xA0\x80\xF4\x90"
         "d\xF0\x9F\x98",
         xml + "utf-8",
         "a" + bad + bad + bad + "b" + bad + "c" + bad + bad + bad + bad + bad + bad + bad + "d" +
             bad},
        {"UTF-8 in the declaration", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\xE9", "",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + bad},
        {"Shift_JIS", "\x93\xFA\xA0\x93\xFA\x93", xml + "Shift_JIS",
         "\xE6\x97\xA5" + bad + "\xE6\x97\xA5" + bad},
        {"byte the charset lacks", "\xE1\xD2", xml + "iso-8859-7", "\xCE\xB1" + bad},
        // glibc writes a UCS-4 value above U+10FFFF as bytes no UTF-8 reader accepts.
        {"value above U+10FFFF", "\0\0\x11\0b\0\0\0"s, xml + "ucs-4le",
         bad + bad + bad + bad + "b"},
        {"conversion suffix", "\xC1", xml + "koi8-r//TRANSLIT", "\xC3\x81"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decodeResponseBody(std::string(c.body), c.contentType), c.expected) << c.name;
    }
}

TEST(TextDecoding, FindsAHighByteAtEveryOffset) {
    const std::string ascii(48, 'a');
    for (std::size_t offset = 0; offset < ascii.size(); ++offset) {
        std::string body = ascii;
        body[offset] = '\x80';
        EXPECT_EQ(decodeResponseBody(std::move(body), ""),
                  std::string(ascii).replace(offset, 1, "\xE2\x82\xAC"))
            << "offset " << offset;
    }
}

TEST(TextDecoding, ResultIsValidUtf8ForRandomBytesUnderAnyLabel) {
    const std::vector<std::string> labels = {
        "",     "utf-8",       "iso-8859-1", "koi8-r", "shift_jis", "euc-jp", "gb18030",
        "big5", "iso-2022-jp", "utf-7",      "utf-16", "utf-32le",  "ucs-2",  "x-bogus"};
    const std::vector<std::string> prefixes = {"", "\xEF\xBB\xBF", "\xFF\xFE",
                                               "<?xml version=\"1.0\" encoding=\"euc-kr\"?>"};
    std::mt19937 random(20240601);
    for (int round = 0; round < 4000; ++round) {
        std::string body = prefixes[random() % prefixes.size()];
        for (std::size_t i = random() % 80; i > 0; --i) {
            body.push_back(static_cast<char>(random() % 4 == 0 ? random() % 0x80 : random()));
        }
        const std::string contentType = "text/xml; charset=" + labels[random() % labels.size()];
        EXPECT_TRUE(test::isValidUtf8(decodeResponseBody(std::move(body), contentType)))
            << contentType << " round " << round;
    }
}

}  // namespace
}  // namespace lumeward::feed
