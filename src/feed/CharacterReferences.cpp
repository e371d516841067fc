#include "feed/CharacterReferences.h"

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumeward::feed {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool isAllowedCharacter(std::uint32_t code) {
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

int digitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(c | 0x20);
    if (hex && lower >= 'a' && lower <= 'f') {
        return lower - 'a' + 10;
    }
    return -1;
}

// Whether the text at `at` (an "&") is a numeric reference the parser decodes,
// "&#" digits ";" or "&#x" hex digits ";", naming a forbidden character.
// Anything else is not decoded, so it cannot be forbidden.
bool isForbiddenReferenceAt(std::string_view xml, std::size_t at) {
    if (xml.substr(at, 2) != "&#") {
        return false;
    }
    std::size_t pos = at + 2;
    const bool hex = pos < xml.size() && xml[pos] == 'x';
    pos += hex ? 1 : 0;
    std::uint32_t code = 0;
    bool tooLarge = false;
    std::size_t digits = 0;
    for (; pos < xml.size(); ++pos, ++digits) {
        const int digit = digitValue(xml[pos], hex);
        if (digit < 0) {
            break;
        }
        // Past the last Unicode character the value only matters as "too large".
        if (code > 0x10FFFF) {
            tooLarge = true;
        } else {
            code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
        }
    }
    if (digits == 0 || pos >= xml.size() || xml[pos] != ';') {
        return false;
    }
    return tooLarge || !isAllowedCharacter(code);
}

// The first "&#" at or after `from`, 16 bytes at a time: feeds are full of
// "&lt;" and "&amp;", which a search for "&" alone would stop at.
std::size_t findNumericReference(std::string_view xml, std::size_t from) {
#if defined(__SSE2__)
    const __m128i ampersand = _mm_set1_epi8('&');
    const __m128i hash = _mm_set1_epi8('#');
    for (; from + 17 <= xml.size(); from += 16) {
        const char* block = xml.data() + from;
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 1));
        const int mask = _mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(here, ampersand), _mm_cmpeq_epi8(next, hash)));
        if (mask != 0) {
            return from + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#endif
    return xml.find("&#", from);
}

std::size_t findReference(std::string_view xml, std::size_t from) {
    while ((from = findNumericReference(xml, from)) != kNone) {
        if (isForbiddenReferenceAt(xml, from)) {
            return from;
        }
        from += 2;
    }
    return kNone;
}

// Where the markup that opens at `at` (a "<") ends, one past its last byte.
// Comments, CDATA sections and processing instructions end at their closing
// sequence; a tag at the first ">" outside a quoted attribute value. Unclosed
// markup runs to the end. `decoded` is set when the markup is a tag that holds a
// forbidden reference inside a quoted value.
std::size_t skipMarkup(std::string_view xml, std::size_t at, bool& decoded) {
    const auto skipTo = [&](std::string_view opener, std::string_view closer) {
        const std::size_t end = xml.find(closer, at + opener.size());
        return end == kNone ? xml.size() : end + closer.size();
    };
    const std::string_view rest = xml.substr(at);
    if (rest.starts_with("<!--")) {
        return skipTo("<!--", "-->");
    }
    if (rest.starts_with("<![CDATA[")) {
        return skipTo("<![CDATA[", "]]>");
    }
    if (rest.starts_with("<?")) {
        return skipTo("<?", "?>");
    }
    char quote = '\0';
    for (std::size_t pos = at + 1; pos < xml.size(); ++pos) {
        const char c = xml[pos];
        if (quote != '\0') {
            if (c == quote) {
                quote = '\0';
            } else if (c == '&' && isForbiddenReferenceAt(xml, pos)) {
                decoded = true;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return pos + 1;
        }
    }
    return xml.size();
}

}  // namespace

bool hasForbiddenCharacterReference(std::string_view xml) {
    // Nearly every document has none at all; only then does the context matter.
    if (findReference(xml, 0) == kNone) {
        return false;
    }
    std::size_t at = 0;
    while (at < xml.size()) {
        const std::size_t open = xml.find('<', at);
        const std::size_t textEnd = open == kNone ? xml.size() : open;
        const std::size_t reference = findReference(xml.substr(0, textEnd), at);
        if (reference != kNone) {
            return true;
        }
        if (open == kNone) {
            return false;
        }
        bool decoded = false;
        at = skipMarkup(xml, open, decoded);
        if (decoded) {
            return true;
        }
    }
    return false;
}

}  // namespace lumeward::feed
