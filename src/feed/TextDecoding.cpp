#include "feed/TextDecoding.h"

#include "feed/CharsetLabels.h"
#include "feed/IconvDecoding.h"
#include "feed/Utf8.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>
#include <utility>

namespace lumeward::feed {

namespace {

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

bool isOneOf(std::string_view label, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), label) != names.end();
}

// The body decoded as a charset label says; none for a label no decoder knows.
std::optional<std::string> decodeByLabel(std::string_view label, std::string& body) {
    const std::string name = normalisedCharset(label);
    if (isOneOf(name, {"utf-8", "utf8", "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8",
                       "x-unicode20utf8"})) {
        return decodeUtf8(std::move(body));
    }
    // Labels browsers read as Windows-1252: Latin-1 feeds often carry its punctuation.
    if (isOneOf(name, {"windows-1252", "cp1252", "x-cp1252", "iso-8859-1", "iso8859-1", "iso88591",
                       "iso_8859-1", "iso_8859-1:1987", "iso-ir-100", "latin1", "l1", "cp819",
                       "ibm819", "csisolatin1", "us-ascii", "ascii", "ansi_x3.4-1968"})) {
        return decodeWindows1252(body);
    }
    return decodeWithIconv(label, body);
}

}  // namespace

std::string decodeResponseBody(std::string&& body, std::string_view contentType) {
    std::string_view markCharset;
    if (const ByteOrderMark* mark = findByteOrderMark(body)) {
        markCharset = mark->charset;
        body.erase(0, mark->bytes.size());
    }
    for (const std::string_view label :
         {markCharset, charsetFromContentType(contentType), charsetFromXmlDeclaration(body)}) {
        if (auto text = decodeByLabel(label, body)) {
            return std::move(*text);
        }
    }
    if (validUtf8Length(body) == body.size()) {
        return std::move(body);
    }
    return decodeWindows1252(body);
}

}  // namespace lumeward::feed
