#include "feed/TextDecoding.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumeward::feed {
namespace {

using namespace std::string_literals;

std::string decode(std::string body, std::string_view contentType = "") {
    return decodeResponseBody(std::move(body), contentType);
}

// Independent of the decoder: walks code points and checks each range by value.
bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80       ? 1
                           : lead >> 5 == 6  ? 2
                           : lead >> 4 == 14 ? 3
                           : lead >> 3 == 30 ? 4
                                             : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        char32_t codePoint = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if (next >> 6 != 2) {
                return false;
            }
            codePoint = codePoint << 6 | (next & 0x3F);
        }
        constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
        if (codePoint < kSmallest[length] || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

// Writes UTF-16 or UTF-32 code units in the given byte order.
template <typename Unit>
std::string encodeUnits(std::basic_string_view<Unit> units, std::endian order) {
    std::string bytes;
    for (const Unit unit : units) {
        for (std::size_t k = 0; k < sizeof(Unit); ++k) {
            const std::size_t shift = order == std::endian::little ? k : sizeof(Unit) - 1 - k;
            bytes.push_back(
                static_cast<char>((static_cast<std::uint32_t>(unit) >> (8 * shift)) & 0xFF));
        }
    }
    return bytes;
}

struct DecodingCase {
    std::string name;
    std::string body;
    std::string contentType;
    std::string expected;
};

void expectDecodings(const std::vector<DecodingCase>& cases) {
    for (const DecodingCase& c : cases) {
        EXPECT_EQ(decode(c.body, c.contentType), c.expected) << c.name;
    }
}

TEST(TextDecoding, ByteOrderMarkWinsOverHeaderAndDeclarationAndIsDropped) {
    const std::u16string text16 =
        u"<?xml version=\"1.0\" encoding=\"koi8-r\"?><t>h\u00e9\u4e2d\U0001F600</t>";
    const std::u32string text32 =
        U"<?xml version=\"1.0\" encoding=\"koi8-r\"?><t>h\u00e9\u4e2d\U0001F600</t>";
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"koi8-r\"?><t>h\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80</t>";
    const std::vector<std::pair<std::string, std::string>> marked = {
        {"UTF-8", "\xEF\xBB\xBF" + expected},
        {"UTF-16LE", "\xFF\xFE" + encodeUnits<char16_t>(text16, std::endian::little)},
        {"UTF-16BE", "\xFE\xFF" + encodeUnits<char16_t>(text16, std::endian::big)},
        {"UTF-32LE", "\xFF\xFE\0\0"s + encodeUnits<char32_t>(text32, std::endian::little)},
        {"UTF-32BE", "\0\0\xFE\xFF"s + encodeUnits<char32_t>(text32, std::endian::big)},
    };
    for (const auto& [name, body] : marked) {
        for (const char* contentType : {"", "application/rss+xml; charset=koi8-r"}) {
            EXPECT_EQ(decode(body, contentType), expected)
                << name << " with '" << contentType << "'";
        }
    }
}

// 0xC1 is U+0430 in KOI8-R, U+0391 in ISO-8859-7, U+00C1 in Windows-1252.
TEST(TextDecoding, ChoosesHeaderThenDeclarationThenContent) {
    const std::string koi8 = "<?xml version=\"1.0\" encoding=\"koi8-r\"?>\xC1";
    const std::string greek = "<?xml version=\"1.0\" encoding=\"iso-8859-7\"?>\xC1";
    const std::string ascii = "<?xml version=\"1.0\"?>\xC1";
    expectDecodings({
        {"header beats declaration", greek, "text/xml; charset=koi8-r",
         "<?xml version=\"1.0\" encoding=\"iso-8859-7\"?>\xD0\xB0"},
        {"declaration without header charset", koi8, "text/xml",
         "<?xml version=\"1.0\" encoding=\"koi8-r\"?>\xD0\xB0"},
        {"unknown header charset", koi8, "text/xml; charset=x-no-such-charset",
         "<?xml version=\"1.0\" encoding=\"koi8-r\"?>\xD0\xB0"},
        {"header charset with options", ascii, "application/xml;q=1 ;  CharSet = \"KOI8-R\" ; x=y",
         "<?xml version=\"1.0\"?>\xD0\xB0"},
        {"header charset with trailing space", ascii, "text/xml; charset=koi8-r ",
         "<?xml version=\"1.0\"?>\xD0\xB0"},
        {"Latin-1 header reads Windows-1252", ascii + "\x92", "text/xml; charset=ISO-8859-1",
         "<?xml version=\"1.0\"?>\xC3\x81\xE2\x80\x99"},
        {"single quotes and spaces in declaration",
         "<?xml version='1.0' encoding = 'KOI8-R' ?>\xC1", "",
         "<?xml version='1.0' encoding = 'KOI8-R' ?>\xD0\xB0"},
        {"declaration not at the start", " " + koi8, "",
         " <?xml version=\"1.0\" encoding=\"koi8-r\"?>\xC3\x81"},
        {"encoding after the declaration", ascii + "<a encoding=\"koi8-r\"/>", "",
         "<?xml version=\"1.0\"?>\xC3\x81<a encoding=\"koi8-r\"/>"},
        {"declaration ending past 1 KiB",
         "<?xml version=\"1.0\"" + std::string(1100, ' ') + "encoding=\"koi8-r\"?>\xC1", "",
         "<?xml version=\"1.0\"" + std::string(1100, ' ') + "encoding=\"koi8-r\"?>\xC3\x81"},
        {"unknown declaration", "<?xml version=\"1.0\" encoding=\"x-bogus\"?>\xC1", "",
         "<?xml version=\"1.0\" encoding=\"x-bogus\"?>\xC3\x81"},
        {"UTF-16 named in an ASCII declaration",
         "<?xml version=\"1.0\" encoding=\"utf-16\"?>caf\xC3\xA9", "",
         "<?xml version=\"1.0\" encoding=\"utf-16\"?>caf\xC3\xA9"},
    });
}

TEST(TextDecoding, UnlabelledValidUtf8IsKeptAsIs) {
    for (const std::string& text : {
             "plain ASCII that is longer than sixteen bytes, with <tags> & entities"s,
             "r\xC3\xA9sum\xC3\xA9 \xE2\x80\x99 \xE6\x96\xB0\xE9\x97\xBB \xF0\x9F\x98\x80"s,
             "\xC2\x80 \xDF\xBF \xE0\xA0\x80 \xED\x9F\xBF \xEE\x80\x80 \xEF\xBF\xBF"s,
             "\xF0\x90\x80\x80 \xF4\x8F\xBF\xBF"s,
         }) {
        EXPECT_EQ(decode(text), text);
    }
}

TEST(TextDecoding, ValidUtf8BodyIsReturnedWithoutCopying) {
    std::string body = "<rss><title>caf\xC3\xA9 " + std::string(4000, 'x') + "</title></rss>";
    const char* const bytes = body.data();
    const std::string text = decode(std::move(body), "text/xml; charset=utf-8");
    EXPECT_EQ(text.data(), bytes);
}

TEST(TextDecoding, UnlabelledInvalidUtf8IsReadAsWindows1252) {
    expectDecodings({
        {"euro", "a\x80", "", "a\xE2\x82\xAC"},
        {"apostrophe", "it\x92s", "", "it\xE2\x80\x99s"},
        {"e acute", "caf\xE9", "", "caf\xC3\xA9"},
        {"undefined bytes", "\x81\x8D\x8F\x90\x9D", "", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
        {"valid sequence beside an invalid one", "\xC3\xA9\xE9", "", "\xC3\x83\xC2\xA9\xC3\xA9"},
    });
}

TEST(TextDecoding, FindsAHighByteAtEveryOffsetOfALongBody) {
    const std::string ascii(48, 'a');
    for (std::size_t offset = 0; offset < ascii.size(); ++offset) {
        std::string body = ascii;
        body[offset] = '\x80';
        std::string expected = ascii;
        expected.replace(offset, 1, "\xE2\x82\xAC");
        EXPECT_EQ(decode(body), expected) << "offset " << offset;
    }
}

TEST(TextDecoding, DeclaredUtf8ReplacesEachMaximalInvalidSubpart) {
    const std::string utf8 = "text/xml; charset=utf-8";
    expectDecodings({
        {"truncated three-byte sequence", "a\xE2\x82z", utf8, "a\xEF\xBF\xBDz"},
        {"truncated sequence at the end", "a\xF0\x9F\x98", utf8, "a\xEF\xBF\xBD"},
        {"lone continuation byte", "a\x80z", utf8, "a\xEF\xBF\xBDz"},
        {"overlong", "\xC0\x80", utf8, "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"overlong three-byte sequence", "\xE0\x80\xAF", utf8,
         "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"encoded surrogate", "\xED\xA0\x80", utf8, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", utf8,
         "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"mixed",
         "a\xF1\x80\x80\xE1\x80\xC2"
         "b\x80"
         "c\x80\xBF"
         "d",
         utf8,
         "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
         "b\xEF\xBF\xBD"
         "c\xEF\xBF\xBD\xEF\xBF\xBD"
         "d"},
        {"declared by the XML declaration", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\xE9", "",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\xEF\xBF\xBD"},
        {"after a byte-order mark", "\xEF\xBB\xBFx\xFF", "", "x\xEF\xBF\xBD"},
    });
}

TEST(TextDecoding, DecodesOtherCharsetsThroughIconv) {
    expectDecodings({
        {"koi8-r", "\xF0\xD2\xC9\xD7\xC5\xD4", "text/xml; charset=koi8-r",
         "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
        {"shift_jis", "\x93\xFA\x96\x7B", "text/xml; charset=Shift_JIS",
         "\xE6\x97\xA5\xE6\x9C\xAC"},
        {"iso-8859-7", "\xE1\xE2\xE3", "text/xml; charset=iso-8859-7", "\xCE\xB1\xCE\xB2\xCE\xB3"},
        {"rejected byte", "a\xD2z", "text/xml; charset=iso-8859-7", "a\xEF\xBF\xBDz"},
        {"rejected byte in a multi-byte charset", "a\xA0\x93\xFA", "text/xml; charset=shift_jis",
         "a\xEF\xBF\xBD\xE6\x97\xA5"},
        {"truncated sequence at the end", "\x93\xFA\x93", "text/xml; charset=shift_jis",
         "\xE6\x97\xA5\xEF\xBF\xBD"},
        // glibc writes a UCS-4 value above U+10FFFF as bytes no UTF-8 reader accepts.
        {"value above U+10FFFF", "a\0\0\0\0\0\x11\0b\0\0\0"s, "text/xml; charset=ucs-4le",
         "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
         "b"},
        {"name with a conversion suffix", "a\xC1", "text/xml; charset=koi8-r//TRANSLIT",
         "a\xC3\x81"},
    });
}

TEST(TextDecoding, RecognisesUtf16WithoutByteOrderMarkByItsDeclaration) {
    const std::u16string text = u"<?xml version=\"1.0\" encoding=\"koi8-r\"?><t>\u00e9\u4e2d</t>";
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"koi8-r\"?><t>\xC3\xA9\xE4\xB8\xAD</t>";
    EXPECT_EQ(decode(encodeUnits<char16_t>(text, std::endian::little)), expected);
    EXPECT_EQ(decode(encodeUnits<char16_t>(text, std::endian::big)), expected);
}

TEST(TextDecoding, OddLengthUtf16EndsInReplacementCharacter) {
    EXPECT_EQ(decode("\xFF\xFEh\0i\0j"s), "hi\xEF\xBF\xBD");
    EXPECT_EQ(decode("\0<\0?\0"s), "<?\xEF\xBF\xBD");
}

TEST(TextDecoding, EmptyBodyGivesEmptyText) {
    for (const char* contentType : {"", "text/xml; charset=utf-8", "text/xml; charset=koi8-r",
                                    "text/xml; charset=windows-1252", "text/xml; charset=utf-16"}) {
        EXPECT_EQ(decode("", contentType), "") << contentType;
    }
}

TEST(TextDecoding, KeepsNulAndControlBytes) {
    const std::string controls = "a\0b\x01\x1F\x7F"s;
    for (const char* contentType : {"", "text/xml; charset=utf-8", "text/xml; charset=windows-1252",
                                    "text/xml; charset=koi8-r"}) {
        EXPECT_EQ(decode(controls, contentType), controls) << contentType;
    }
    EXPECT_EQ(decode(controls + "\x80"), controls + "\xE2\x82\xAC");
}

TEST(TextDecoding, ResultIsValidUtf8ForRandomBytesUnderAnyLabel) {
    const std::array<std::string, 14> labels = {
        "",     "utf-8",       "iso-8859-1", "koi8-r", "shift_jis", "euc-jp", "gb18030",
        "big5", "iso-2022-jp", "utf-7",      "utf-16", "utf-32le",  "ucs-2",  "x-bogus"};
    const std::array<std::string, 4> prefixes = {"", "\xEF\xBB\xBF", "\xFF\xFE",
                                                 "<?xml version=\"1.0\" encoding=\"euc-kr\"?>"};
    std::mt19937 random(20240601);
    for (int round = 0; round < 4000; ++round) {
        std::string body = prefixes[random() % prefixes.size()];
        const std::size_t length = random() % 80;
        for (std::size_t i = 0; i < length; ++i) {
            body.push_back(static_cast<char>(random() % 4 == 0 ? random() % 0x80 : random()));
        }
        const std::string contentType = "text/xml; charset=" + labels[random() % labels.size()];
        const std::string text = decode(body, contentType);
        EXPECT_TRUE(isValidUtf8(text)) << contentType << " round " << round;
    }
}

}  // namespace
}  // namespace lumeward::feed
