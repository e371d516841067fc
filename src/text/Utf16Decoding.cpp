#include "text/Utf16Decoding.h"

#include <cstddef>

#include "text/Utf8.h"

namespace lumeward::text {

std::string decodeUtf16(std::string_view bytes, std::endian order) {
    const auto unitAt = [bytes, order](std::size_t pos) {
        const auto first = static_cast<unsigned char>(bytes[pos]);
        const auto second = static_cast<unsigned char>(bytes[pos + 1]);
        return order == std::endian::big ? (first << 8) | second : (second << 8) | first;
    };
    const auto isTrail = [](int unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 2);
    std::size_t pos = 0;
    while (bytes.size() - pos >= 2) {
        const int unit = unitAt(pos);
        pos += 2;
        if (unit < 0xD800 || unit > 0xDFFF) {
            appendUtf8(text, static_cast<char32_t>(unit));
            continue;
        }
        const bool lead = !isTrail(unit);
        const bool nextUnit = bytes.size() - pos >= 2;
        if (lead && nextUnit && isTrail(unitAt(pos))) {
            appendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(pos) - 0xDC00));
            pos += 2;
            continue;
        }
        text.append(kReplacementCharacter);
        if (lead && !nextUnit) {
            return text;  // the lead surrogate and an odd last byte are one error
        }
    }
    if (pos < bytes.size()) {
        text.append(kReplacementCharacter);
    }
    return text;
}

}  // namespace lumeward::text
