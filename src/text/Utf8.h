#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lumeward::text {

inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

struct Utf8Sequence {
    std::size_t length;  // of the whole sequence, or of the maximal invalid subpart
    bool valid;
};

// Reads the sequence at the start of a non-empty text. Ranges of the second byte follow
// the table of well-formed UTF-8, which excludes overlongs, surrogates and values over
// U+10FFFF; an invalid sequence reports the longest prefix that could have started a
// valid one (at least one byte), which a caller replaces by a single U+FFFD.
Utf8Sequence readUtf8Sequence(std::string_view text);

// Length of the leading run of ASCII bytes.
std::size_t asciiLength(std::string_view text);

// Length of the leading part that is valid UTF-8.
std::size_t validUtf8Length(std::string_view text);

// Valid text comes back as it came, without a copy; each maximal invalid subpart of a
// damaged one becomes U+FFFD.
std::string decodeUtf8(std::string&& bytes);

// Writes a Unicode scalar value (no surrogate, at most U+10FFFF) as UTF-8 into the
// 4 bytes at `out` and returns the end of what it wrote. Inline: the decoders' loops
// write every character through it.
inline char* writeUtf8(char* out, char32_t codePoint) {
    if (codePoint < 0x80) {
        *out++ = static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        *out++ = static_cast<char>(0xC0 | (codePoint >> 6));
        *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (codePoint >> 12));
        *out++ = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (codePoint >> 18));
        *out++ = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return out;
}

// Appends a Unicode scalar value as UTF-8.
void appendUtf8(std::string& text, char32_t codePoint);

}  // namespace lumeward::text
