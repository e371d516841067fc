#include "feed/TextDecoding.h"

#include "feed/CharsetLabels.h"
#include "feed/Utf8.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>

namespace lumeward::feed {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Index of the first byte with its high bit set in an 8-byte word loaded with memcpy.
int firstHighByte(std::uint64_t highBits) {
    if constexpr (std::endian::native == std::endian::little) {
        return std::countr_zero(highBits) / 8;
    } else {
        return std::countl_zero(highBits) / 8;
    }
}

// Length of the leading run of ASCII bytes, scanned 16 bytes at a time.
std::size_t asciiLength(std::string_view text) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    for (; end - p >= 16; p += 16) {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        std::memcpy(&low, p, 8);
        std::memcpy(&high, p + 8, 8);
        if (((low | high) & kHighBits) != 0) {
            const std::size_t offset = static_cast<std::size_t>(p - begin);
            return (low & kHighBits) != 0 ? offset + firstHighByte(low & kHighBits)
                                          : offset + 8 + firstHighByte(high & kHighBits);
        }
    }
    while (p != end && static_cast<unsigned char>(*p) < 0x80) {
        ++p;
    }
    return static_cast<std::size_t>(p - begin);
}

std::size_t validUtf8Length(std::string_view text) {
    std::size_t pos = 0;
    for (;;) {
        pos += asciiLength(text.substr(pos));
        if (pos == text.size()) {
            return pos;
        }
        const Utf8Sequence sequence = readUtf8Sequence(text.substr(pos));
        if (!sequence.valid) {
            return pos;
        }
        pos += sequence.length;
    }
}

// Valid text is returned as it came, without a copy; only a damaged body is rebuilt.
std::string decodeUtf8(std::string&& bytes) {
    std::size_t valid = validUtf8Length(bytes);
    if (valid == bytes.size()) {
        return std::move(bytes);
    }
    std::string text;
    text.reserve(bytes.size() + 2 * kReplacementCharacter.size());
    std::string_view rest = bytes;
    for (;;) {
        text.append(rest.substr(0, valid));
        rest.remove_prefix(valid);
        if (rest.empty()) {
            return text;
        }
        text.append(kReplacementCharacter);
        rest.remove_prefix(readUtf8Sequence(rest).length);
        valid = validUtf8Length(rest);
    }
}

void appendUtf8(std::string& text, char32_t codePoint) {
    if (codePoint < 0x80) {
        text.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        text.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        text.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        text.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        text.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

// Bytes 0x80-0x9F; 0xA0-0xFF are the code points of the same value. The five bytes
// Windows-1252 leaves undefined keep their C1 code points, as browsers do.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string decodeWindows1252(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 4);
    while (!bytes.empty()) {
        const std::size_t ascii = asciiLength(bytes);
        text.append(bytes.substr(0, ascii));
        bytes.remove_prefix(ascii);
        if (bytes.empty()) {
            break;
        }
        const auto byte = static_cast<unsigned char>(bytes.front());
        appendUtf8(text, byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte);
        bytes.remove_prefix(1);
    }
    return text;
}

struct IconvCloser {
    void operator()(iconv_t descriptor) const { iconv_close(descriptor); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

std::string decodeWithIconv(iconv_t descriptor, std::string&& bytes) {
    std::string text(bytes.size() + bytes.size() / 2 + 16, '\0');
    std::size_t used = 0;
    char* in = bytes.data();
    std::size_t inLeft = bytes.size();
    for (;;) {
        char* out = text.data() + used;
        std::size_t outLeft = text.size() - used;
        // Once the input is used up, a call without input ends any pending shift state.
        const bool flushing = inLeft == 0;
        const std::size_t result = flushing ? iconv(descriptor, nullptr, nullptr, &out, &outLeft)
                                            : iconv(descriptor, &in, &inLeft, &out, &outLeft);
        used = static_cast<std::size_t>(out - text.data());
        if (result != static_cast<std::size_t>(-1)) {
            if (flushing) {
                break;
            }
            continue;
        }
        if (errno == E2BIG) {
            text.resize(text.size() * 2);
            continue;
        }
        if (flushing) {
            break;
        }
        // Grows the text when fewer bytes than the replacement are left.
        text.replace(used, kReplacementCharacter.size(), kReplacementCharacter);
        used += kReplacementCharacter.size();
        if (errno == EINVAL) {
            inLeft = 0;  // a sequence cut off by the end of the body
        } else {
            ++in;  // EILSEQ: resume one byte later
            --inLeft;
        }
    }
    text.resize(used);
    // glibc has many converters; whatever one of them emits, the result stays valid UTF-8.
    return decodeUtf8(std::move(text));
}

bool isOneOf(std::string_view label, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), label) != names.end();
}

// Rejects names iconv_open would read as more than a charset ("//TRANSLIT", ",").
bool isPlainCharsetName(std::string_view label) {
    return label.size() <= 64 && std::all_of(label.begin(), label.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
                      c == '.' || c == ':';
           });
}

// The decoding a charset label stands for; labels iconv does not know have none.
class Decoder {
public:
    static std::optional<Decoder> forLabel(std::string_view label) {
        const std::string name = normalisedCharset(label);
        if (isOneOf(name, {"utf-8", "utf8", "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8",
                           "x-unicode20utf8"})) {
            return Decoder(Kind::Utf8);
        }
        // Labels browsers read as Windows-1252: Latin-1 feeds often carry its punctuation.
        if (isOneOf(name,
                    {"windows-1252", "cp1252", "x-cp1252", "iso-8859-1", "iso8859-1", "iso88591",
                     "iso_8859-1", "iso_8859-1:1987", "iso-ir-100", "latin1", "l1", "cp819",
                     "ibm819", "csisolatin1", "us-ascii", "ascii", "ansi_x3.4-1968"})) {
            return Decoder(Kind::Windows1252);
        }
        if (name.empty() || !isPlainCharsetName(name)) {
            return std::nullopt;
        }
        const iconv_t descriptor = iconv_open("UTF-8", name.c_str());
        // An unknown name is reported as (iconv_t)-1.
        if (reinterpret_cast<std::intptr_t>(descriptor) == -1) {
            return std::nullopt;
        }
        return Decoder(Kind::Iconv, IconvHandle(descriptor));
    }

    std::string decode(std::string&& bytes) const {
        switch (m_kind) {
            case Kind::Utf8:
                return decodeUtf8(std::move(bytes));
            case Kind::Windows1252:
                return decodeWindows1252(bytes);
            case Kind::Iconv:
                return decodeWithIconv(m_iconv.get(), std::move(bytes));
        }
        return {};
    }

private:
    enum class Kind { Utf8, Windows1252, Iconv };

    explicit Decoder(Kind kind, IconvHandle iconv = {}) : m_kind(kind), m_iconv(std::move(iconv)) {}

    Kind m_kind;
    IconvHandle m_iconv;
};

}  // namespace

std::string decodeResponseBody(std::string&& body, std::string_view contentType) {
    std::string_view markCharset;
    if (const ByteOrderMark* mark = findByteOrderMark(body)) {
        markCharset = mark->charset;
        body.erase(0, mark->bytes.size());
    }
    for (const std::string_view label :
         {markCharset, charsetFromContentType(contentType), charsetFromXmlDeclaration(body)}) {
        if (const auto decoder = Decoder::forLabel(label)) {
            return decoder->decode(std::move(body));
        }
    }
    if (validUtf8Length(body) == body.size()) {
        return std::move(body);
    }
    return decodeWindows1252(body);
}

}  // namespace lumeward::feed
