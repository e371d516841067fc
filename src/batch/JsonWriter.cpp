#include "batch/JsonWriter.h"

#include <cstddef>

#include "text/Utf8.h"

namespace lumeward::batch {

namespace {

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
            const auto sequence = text::readUtf8Sequence(text.substr(i));
            if (sequence.valid) {
                i += sequence.length;
                continue;
            }
            out.append(text, runStart, i - runStart);
            out += text::kReplacementCharacter;
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
