#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Checks on the text the reader hands on, for the tests and the fuzz targets.
// They are written from the definitions, not from the program's own helpers,
// so that they can disagree with the program.
namespace lumeward::test {

// Calls visit(code) for each character; returns false at the first byte that
// does not start a valid UTF-8 sequence (overlong forms and surrogates included).
template <class Visit>
bool forEachUtf8Character(std::string_view text, Visit visit) {
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        // Sequence length, the lead's payload bits and the smallest code of that length.
        const std::size_t length = lead < 0x80   ? 1
                                   : lead < 0xC0 ? 0
                                   : lead < 0xE0 ? 2
                                   : lead < 0xF0 ? 3
                                   : lead < 0xF8 ? 4
                                                 : 0;
        const std::uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (length == 0 || text.size() - at < length) {
            return false;
        }
        std::uint32_t code = lead & (0xFFu >> (length == 1 ? 1 : length + 1));
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < minimum[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        visit(code);
        at += length;
    }
    return true;
}

inline bool isValidUtf8(std::string_view text) {
    return forEachUtf8Character(text, [](std::uint32_t) {});
}

// A character XML 1.0 does not allow in a document.
inline bool isForbiddenInXml(std::uint32_t code) {
    return (code < 0x20 && code != 0x9 && code != 0xA && code != 0xD) || code == 0xFFFE ||
           code == 0xFFFF;
}

// Valid UTF-8 holding only characters XML allows: what every text the reader
// hands on must be.
inline bool isCleanText(std::string_view text) {
    bool clean = true;
    const bool valid = forEachUtf8Character(
        text, [&clean](std::uint32_t code) { clean &= !isForbiddenInXml(code); });
    return valid && clean;
}

}  // namespace lumeward::test
