#include "batch/JsonWriter.h"

#include <cstddef>

namespace lumeward::batch {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

struct Utf8Sequence {
    bool valid;
    // The whole sequence when valid, else the longest prefix that could have
    // begun one, so each such prefix is replaced once.
    std::size_t length;
};

// Checks the multi-byte sequence at text[start]; rejects overlong forms,
// surrogates and code points above U+10FFFF.
Utf8Sequence checkSequence(std::string_view text, std::size_t start) {
    const auto lead = static_cast<unsigned char>(text[start]);
    std::size_t trailing = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trailing = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trailing = 2;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trailing = 3;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {false, 1};
    }
    for (std::size_t n = 1; n <= trailing; ++n) {
        if (start + n >= text.size()) {
            return {false, n};
        }
        const auto byte = static_cast<unsigned char>(text[start + n]);
        if (byte < low || byte > high) {
            return {false, n};
        }
        low = 0x80;
        high = 0xBF;
    }
    return {true, trailing + 1};
}

void appendEscape(std::string& out, unsigned char c) {
    switch (c) {
        case '"':
            out += "\\\"";
            return;
        case '\\':
            out += "\\\\";
            return;
        case '\b':
            out += "\\b";
            return;
        case '\f':
            out += "\\f";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\r':
            out += "\\r";
            return;
        case '\t':
            out += "\\t";
            return;
        default: {
            constexpr std::string_view kHex = "0123456789abcdef";
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    // Bytes that need no change are copied in runs, not one by one.
    std::size_t runStart = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
            ++i;
            continue;
        }
        if (c >= 0x80) {
            const auto sequence = checkSequence(text, i);
            if (sequence.valid) {
                i += sequence.length;
                continue;
            }
            out.append(text, runStart, i - runStart);
            out += kReplacementCharacter;
            i += sequence.length;
        } else {
            out.append(text, runStart, i - runStart);
            appendEscape(out, c);
            ++i;
        }
        runStart = i;
    }
    out.append(text, runStart, text.size() - runStart);
    out += '"';
}

}  // namespace lumeward::batch
