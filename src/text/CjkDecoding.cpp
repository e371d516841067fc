#include "text/CjkDecoding.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>

#include "text/AsciiCompatibleDecoding.h"
#include "text/EncodingTables.h"
#include "text/Utf8.h"

namespace lumeward::text {

namespace {

unsigned char byteAt(std::string_view bytes, std::size_t pos) {
    return static_cast<unsigned char>(bytes[pos]);
}

bool inRange(unsigned char byte, unsigned char low, unsigned char high) {
    return byte >= low && byte <= high;
}

// The code point an index gives a pointer, 0 for none.
template <typename CodePoint>
char32_t codePointAt(std::span<const CodePoint> index, std::size_t pointer) {
    return pointer < index.size() ? index[pointer] : 0;
}

// Writes U+FFFD for a sequence of `length` bytes that decodes to nothing.
std::size_t replaced(char*& out, std::size_t length) {
    out = writeUtf8(out, 0xFFFD);
    return length;
}

// Ends a lead byte and its trail: the code point, or U+FFFD for 0, in which case an ASCII
// trail is not part of the error and is read again. Returns the bytes used.
std::size_t endPair(char*& out, char32_t codePoint, unsigned char trail) {
    if (codePoint == 0) {
        return replaced(out, trail < 0x80 ? 1 : 2);
    }
    out = writeUtf8(out, codePoint);
    return 2;
}

// Four-byte gb18030 sequences: ranges of consecutive code points.
char32_t gb18030RangesCodePoint(std::uint32_t pointer) {
    if ((pointer > 39419 && pointer < 189000) || pointer > 1237575) {
        return 0;
    }
    if (pointer == 7457) {
        return 0xE7C7;
    }
    const auto& ranges = tables::kGb18030Ranges;
    const auto range = std::prev(std::upper_bound(
        ranges.begin(), ranges.end(), pointer,
        [](std::uint32_t wanted, const tables::Gb18030Range& r) { return wanted < r.pointer; }));
    return range->codePoint + (pointer - range->pointer);
}

std::size_t decodeGb18030Sequence(std::string_view rest, char*& out) {
    const unsigned char first = byteAt(rest, 0);
    if (first == 0x80) {
        out = writeUtf8(out, 0x20AC);
        return 1;
    }
    if (first == 0xFF || rest.size() < 2) {
        return replaced(out, 1);
    }
    const unsigned char second = byteAt(rest, 1);
    if (!inRange(second, 0x30, 0x39)) {
        char32_t codePoint = 0;
        if (inRange(second, 0x40, 0x7E) || inRange(second, 0x80, 0xFE)) {
            const std::size_t offset = second < 0x7F ? 0x40 : 0x41;
            codePoint = codePointAt(tables::kGb18030Index, (first - 0x81) * 190 + second - offset);
        }
        return endPair(out, codePoint, second);
    }
    // Four bytes: a lead, a digit, a lead, a digit. A byte that breaks the pattern
    // leaves all but the first to be read again; the end of the body takes them all.
    if (rest.size() < 3) {
        return replaced(out, rest.size());
    }
    const unsigned char third = byteAt(rest, 2);
    if (!inRange(third, 0x81, 0xFE)) {
        return replaced(out, 1);
    }
    if (rest.size() < 4) {
        return replaced(out, rest.size());
    }
    const unsigned char fourth = byteAt(rest, 3);
    if (!inRange(fourth, 0x30, 0x39)) {
        return replaced(out, 1);
    }
    const std::uint32_t pointer = (first - 0x81) * (10 * 126 * 10) + (second - 0x30) * (10 * 126) +
                                  (third - 0x81) * 10 + fourth - 0x30;
    const char32_t codePoint = gb18030RangesCodePoint(pointer);
    if (codePoint == 0) {
        return replaced(out, 4);
    }
    out = writeUtf8(out, codePoint);
    return 4;
}

// Big5 pointers that stand for a letter and a combining mark, for which no one code point exists.
struct Big5Pair {
    std::size_t pointer;
    char32_t letter;
    char32_t mark;
};
constexpr Big5Pair kBig5Pairs[] = {
    {1133, 0x00CA, 0x0304}, {1135, 0x00CA, 0x030C}, {1164, 0x00EA, 0x0304}, {1166, 0x00EA, 0x030C}};

std::size_t decodeBig5Sequence(std::string_view rest, char*& out) {
    const unsigned char lead = byteAt(rest, 0);
    if (lead == 0x80 || lead == 0xFF || rest.size() < 2) {
        return replaced(out, 1);
    }
    const unsigned char trail = byteAt(rest, 1);
    if (!inRange(trail, 0x40, 0x7E) && !inRange(trail, 0xA1, 0xFE)) {
        return endPair(out, 0, trail);
    }
    const std::size_t pointer = (lead - 0x81) * 157 + trail - (trail < 0x7F ? 0x40 : 0x62);
    for (const Big5Pair& pair : kBig5Pairs) {
        if (pair.pointer == pointer) {
            out = writeUtf8(out, pair.letter);
            out = writeUtf8(out, pair.mark);
            return 2;
        }
    }
    return endPair(out, codePointAt(tables::kBig5Index, pointer), trail);
}

// Row and cell of the 94 x 94 JIS grid, both in 0xA1-0xFE as EUC-JP writes them.
char32_t jisCodePoint(std::span<const char16_t> index, unsigned char row, unsigned char cell) {
    if (!inRange(row, 0xA1, 0xFE) || !inRange(cell, 0xA1, 0xFE)) {
        return 0;
    }
    return codePointAt(index, (row - 0xA1) * 94 + cell - 0xA1);
}

std::size_t decodeEucJpSequence(std::string_view rest, char*& out) {
    const unsigned char lead = byteAt(rest, 0);
    if ((lead != 0x8E && lead != 0x8F && !inRange(lead, 0xA1, 0xFE)) || rest.size() < 2) {
        return replaced(out, 1);
    }
    const unsigned char second = byteAt(rest, 1);
    if (lead == 0x8E) {  // half-width katakana
        return endPair(out, inRange(second, 0xA1, 0xDF) ? 0xFF61 - 0xA1 + second : 0, second);
    }
    if (lead != 0x8F) {
        return endPair(out, jisCodePoint(tables::kJis0208Index, lead, second), second);
    }
    // 0x8F introduces a JIS X 0212 character in the next two bytes.
    if (!inRange(second, 0xA1, 0xFE)) {
        return endPair(out, 0, second);
    }
    if (rest.size() < 3) {
        return replaced(out, 2);
    }
    const unsigned char third = byteAt(rest, 2);
    return 1 + endPair(out, jisCodePoint(tables::kJis0212Index, second, third), third);
}

std::size_t decodeShiftJisSequence(std::string_view rest, char*& out) {
    const unsigned char lead = byteAt(rest, 0);
    if (lead == 0x80) {
        out = writeUtf8(out, 0x80);
        return 1;
    }
    if (inRange(lead, 0xA1, 0xDF)) {  // half-width katakana
        out = writeUtf8(out, 0xFF61 - 0xA1 + lead);
        return 1;
    }
    if ((!inRange(lead, 0x81, 0x9F) && !inRange(lead, 0xE0, 0xFC)) || rest.size() < 2) {
        return replaced(out, 1);
    }
    const unsigned char trail = byteAt(rest, 1);
    if (!inRange(trail, 0x40, 0x7E) && !inRange(trail, 0x80, 0xFC)) {
        return endPair(out, 0, trail);
    }
    const std::size_t pointer =
        (lead - (lead < 0xA0 ? 0x81 : 0xC1)) * 188 + trail - (trail < 0x7F ? 0x40 : 0x41);
    // The user-defined rows map to the Private Use Area, outside the index.
    if (pointer >= 8836 && pointer <= 10715) {
        return endPair(out, 0xE000 - 8836 + pointer, trail);
    }
    return endPair(out, codePointAt(tables::kJis0208Index, pointer), trail);
}

std::size_t decodeEucKrSequence(std::string_view rest, char*& out) {
    const unsigned char lead = byteAt(rest, 0);
    if (lead == 0x80 || lead == 0xFF || rest.size() < 2) {
        return replaced(out, 1);
    }
    const unsigned char trail = byteAt(rest, 1);
    char32_t codePoint = 0;
    if (inRange(trail, 0x41, 0xFE)) {
        codePoint = codePointAt(tables::kEucKrIndex, (lead - 0x81) * 190 + trail - 0x41);
    }
    return endPair(out, codePoint, trail);
}

enum class Iso2022JpState { Ascii, Roman, Katakana, LeadByte, TrailByte, EscapeStart, Escape };

// The state the ISO-2022-JP escape sequence ESC, lead, byte switches to, if it is one.
std::optional<Iso2022JpState> escapedState(unsigned char lead, unsigned char byte) {
    if (lead == 0x28) {
        switch (byte) {
            case 0x42:
                return Iso2022JpState::Ascii;
            case 0x4A:
                return Iso2022JpState::Roman;
            case 0x49:
                return Iso2022JpState::Katakana;
        }
    } else if (byte == 0x40 || byte == 0x42) {
        return Iso2022JpState::LeadByte;
    }
    return std::nullopt;
}

// The loop of decodeAsciiCompatible made for one decoder, so that its sequences are inlined.
template <std::size_t (*decodeSequence)(std::string_view, char*&)>
std::string decodeWith(std::string_view bytes) {
    return decodeAsciiCompatible(
        bytes, [](std::string_view rest, char*& out) { return decodeSequence(rest, out); });
}

}  // namespace

std::string decodeGb18030(std::string_view bytes) {
    return decodeWith<decodeGb18030Sequence>(bytes);
}

std::string decodeBig5(std::string_view bytes) {
    return decodeWith<decodeBig5Sequence>(bytes);
}

std::string decodeEucJp(std::string_view bytes) {
    return decodeWith<decodeEucJpSequence>(bytes);
}

// A state machine, as the standard writes it: escape sequences switch between ASCII, JIS
// X 0201 Roman, half-width katakana and JIS X 0208 pairs. Two escape sequences in a row
// are an error, since the first switched to something it never used.
std::string decodeIso2022Jp(std::string_view bytes) {
    Iso2022JpState state = Iso2022JpState::Ascii;
    Iso2022JpState outputState = Iso2022JpState::Ascii;
    unsigned char lead = 0;
    bool justEscaped = false;
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 2);
    const auto error = [&text] { text.append(kReplacementCharacter); };
    std::size_t pos = 0;
    for (;;) {
        const bool atEnd = pos == bytes.size();
        const unsigned char byte = atEnd ? 0 : byteAt(bytes, pos++);
        if (state == Iso2022JpState::EscapeStart || state == Iso2022JpState::Escape) {
            if (state == Iso2022JpState::EscapeStart && !atEnd && (byte == 0x24 || byte == 0x28)) {
                lead = byte;
                state = Iso2022JpState::Escape;
                continue;
            }
            const auto next =
                state == Iso2022JpState::Escape && !atEnd ? escapedState(lead, byte) : std::nullopt;
            if (next) {
                state = outputState = *next;
                if (justEscaped) {
                    error();
                }
                justEscaped = true;
                continue;
            }
            // Not an escape sequence: what followed ESC is read again.
            pos -= (state == Iso2022JpState::Escape ? 1 : 0) + (atEnd ? 0 : 1);
            justEscaped = false;
            state = outputState;
            error();
            continue;
        }
        if (state == Iso2022JpState::TrailByte) {
            state = byte == 0x1B && !atEnd ? Iso2022JpState::EscapeStart : Iso2022JpState::LeadByte;
            const char32_t codePoint =
                !atEnd && inRange(byte, 0x21, 0x7E)
                    ? codePointAt(tables::kJis0208Index, (lead - 0x21) * 94 + byte - 0x21)
                    : 0;
            if (codePoint == 0) {
                error();
            } else {
                appendUtf8(text, codePoint);
            }
            continue;
        }
        if (atEnd) {
            return text;
        }
        if (byte == 0x1B) {
            state = Iso2022JpState::EscapeStart;
            continue;
        }
        justEscaped = false;
        if (state == Iso2022JpState::LeadByte && inRange(byte, 0x21, 0x7E)) {
            lead = byte;
            state = Iso2022JpState::TrailByte;
        } else if (state == Iso2022JpState::Katakana && inRange(byte, 0x21, 0x5F)) {
            appendUtf8(text, 0xFF61 - 0x21 + byte);
        } else if (state == Iso2022JpState::LeadByte || state == Iso2022JpState::Katakana ||
                   byte >= 0x80 || byte == 0x0E || byte == 0x0F) {
            error();
        } else if (state == Iso2022JpState::Roman && (byte == 0x5C || byte == 0x7E)) {
            appendUtf8(text, byte == 0x5C ? 0xA5 : 0x203E);
        } else {
            appendUtf8(text, byte);
        }
    }
}

std::string decodeShiftJis(std::string_view bytes) {
    return decodeWith<decodeShiftJisSequence>(bytes);
}

std::string decodeEucKr(std::string_view bytes) {
    return decodeWith<decodeEucKrSequence>(bytes);
}

}  // namespace lumeward::text
