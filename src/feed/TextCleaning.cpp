#include "feed/TextCleaning.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumeward::feed {

namespace {

constexpr std::string_view kDoctype = "<!DOCTYPE";

unsigned char byteAt(const char* text, std::size_t at) {
    return static_cast<unsigned char>(text[at]);
}

// Carriage return, U+2028 or U+2029 starting at `at`: the characters a run
// may not cross. A line feed may.
bool isLineTerminator(const char* text, std::size_t at, std::size_t size) {
    const unsigned char first = byteAt(text, at);
    if (first == '\r') {
        return true;
    }
    return first == 0xE2 && at + 2 < size && byteAt(text, at + 1) == 0x80 &&
           (byteAt(text, at + 2) == 0xA8 || byteAt(text, at + 2) == 0xA9);
}

// The first byte at or after `from` that can close or stop a run: ">", a
// carriage return or the lead byte of U+2028/U+2029 (0xE2).
std::size_t findRunStop(const char* text, std::size_t from, std::size_t size) {
    std::size_t at = from;
#if defined(__SSE2__)
    const __m128i close = _mm_set1_epi8('>');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lead = _mm_set1_epi8(static_cast<char>(0xE2));
    for (; at + 16 <= size; at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        const __m128i hits =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, close), _mm_cmpeq_epi8(block, cr)),
                         _mm_cmpeq_epi8(block, lead));
        if (const int mask = _mm_movemask_epi8(hits)) {
            return at + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#endif
    for (; at < size; ++at) {
        const unsigned char byte = byteAt(text, at);
        if (byte == '>' || byte == '\r' || byte == 0xE2) {
            return at;
        }
    }
    return size;
}

// Where a run whose first character sits at `first` ends: the nearest ">" at
// first + 1 or later with no line terminator from `first` on. When there is
// none, `closed` is false and `at` is the line terminator or the end of text
// that stopped the search; no run starting before `at` can succeed then.
struct RunEnd {
    bool closed;
    std::size_t at;
};

RunEnd findRunEnd(const char* text, std::size_t first, std::size_t size) {
    if (first >= size || isLineTerminator(text, first, size)) {
        return {false, first};
    }
    std::size_t at = first + 1;
    while ((at = findRunStop(text, at, size)) < size) {
        if (text[at] == '>') {
            return {true, at};
        }
        if (isLineTerminator(text, at, size)) {
            return {false, at};
        }
        ++at;
    }
    return {false, size};
}

// "<!DOCTYPE" in any ASCII letter case at `at`.
bool startsDoctype(const char* text, std::size_t at, std::size_t size) {
    if (size - at < kDoctype.size()) {
        return false;
    }
    for (std::size_t i = 2; i < kDoctype.size(); ++i) {
        // Setting 0x20 folds only the matching upper-case letter onto the lower-case one.
        if ((byteAt(text, at + i) | 0x20) != (static_cast<unsigned char>(kDoctype[i]) | 0x20)) {
            return false;
        }
    }
    return true;
}

bool isForbiddenControl(unsigned char byte) {
    return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r';
}

// Bytes where cleanFeedText has to look closer: forbidden controls, the lead
// byte 0xEF of U+FFFE/U+FFFF and, when declarations are still possible, a "<"
// followed by "!".
template <bool kFindDeclarations>
bool isCandidate(const char* text, std::size_t at, std::size_t size) {
    const unsigned char byte = byteAt(text, at);
    if (isForbiddenControl(byte) || byte == 0xEF) {
        return true;
    }
    if constexpr (kFindDeclarations) {
        return byte == '<' && at + 1 < size && text[at + 1] == '!';
    }
    return false;
}

template <bool kFindDeclarations>
std::size_t findCandidate(const char* text, std::size_t from, std::size_t size) {
    std::size_t at = from;
#if defined(__SSE2__)
    const __m128i maxControl = _mm_set1_epi8(0x1F);
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lead = _mm_set1_epi8(static_cast<char>(0xEF));
    const __m128i open = _mm_set1_epi8('<');
    const __m128i bang = _mm_set1_epi8('!');
    // One byte of look-ahead for the "!" after "<".
    for (; at + 17 <= size; at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(block, maxControl), block);
        const __m128i allowed =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, tab), _mm_cmpeq_epi8(block, lineFeed)),
                         _mm_cmpeq_epi8(block, cr));
        __m128i hits =
            _mm_or_si128(_mm_andnot_si128(allowed, control), _mm_cmpeq_epi8(block, lead));
        if constexpr (kFindDeclarations) {
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + 1));
            hits = _mm_or_si128(
                hits, _mm_and_si128(_mm_cmpeq_epi8(block, open), _mm_cmpeq_epi8(next, bang)));
        }
        if (const int mask = _mm_movemask_epi8(hits)) {
            return at + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#endif
    for (; at < size; ++at) {
        if (isCandidate<kFindDeclarations>(text, at, size)) {
            return at;
        }
    }
    return size;
}

// Where the internal subset that starts at `from` (just after its "[") ends: the
// ">" after its closing "]" and optional white space. Quoted strings and
// comments inside it are skipped, since they may hold "]" or ">". npos when
// the subset is not closed so.
std::size_t findSubsetEnd(const char* text, std::size_t from, std::size_t size) {
    constexpr std::size_t kNone = std::string_view::npos;
    const std::string_view rest(text, size);
    for (std::size_t at = from; at < size; ++at) {
        const char c = text[at];
        if (c == '"' || c == '\'') {
            at = rest.find(c, at + 1);
        } else if (rest.substr(at).starts_with("<!--")) {
            at = rest.find("-->", at + 4);
            at = at == kNone ? kNone : at + 2;
        } else if (c == ']') {
            const std::size_t close = rest.find_first_not_of(" \t\r\n", at + 1);
            return close != kNone && text[close] == '>' ? close : kNone;
        }
        if (at == kNone) {
            return kNone;
        }
    }
    return kNone;
}

// What earlier declarations taught cleanFeedText about the rest of the text.
struct DeclarationState {
    // After a declaration fails for lack of ">", none can start before this point.
    std::size_t noDeclarationBefore = 0;
    // After an internal subset fails to close, no later one is tried, so that
    // hostile text ("<!DOCTYPE x [" over and over) costs one scan, not one each.
    bool subsetsPossible = true;
};

// How many bytes cleanFeedText removes at a candidate `at` (0: none).
std::size_t removalAt(const char* text, std::size_t at, std::size_t size, DeclarationState& state) {
    const unsigned char byte = byteAt(text, at);
    if (byte == '<') {
        if (!startsDoctype(text, at, size)) {
            return 0;
        }
        const std::size_t nameStart = at + kDoctype.size();
        const RunEnd end = findRunEnd(text, nameStart, size);
        // A "[" before the declaration's first ">" opens an internal subset, which
        // holds ">" of its own: the declaration is removed whole, up to "]>".
        const auto* subset =
            static_cast<const char*>(std::memchr(text + nameStart, '[', end.at - nameStart));
        if (subset != nullptr && state.subsetsPossible) {
            const std::size_t close =
                findSubsetEnd(text, static_cast<std::size_t>(subset - text) + 1, size);
            if (close != std::string_view::npos) {
                return close + 1 - at;
            }
            state.subsetsPossible = false;
        }
        if (end.closed) {
            return end.at + 1 - at;
        }
        state.noDeclarationBefore = end.at;
        return 0;
    }
    if (byte == 0xEF) {
        const bool nonCharacter = at + 2 < size && byteAt(text, at + 1) == 0xBF &&
                                  (byteAt(text, at + 2) == 0xBE || byteAt(text, at + 2) == 0xBF);
        return nonCharacter ? 3 : 0;
    }
    return 1;
}

// Characters that end a tag name in HTML.
bool endsTagName(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == '/' || c == '>';
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `name` in any ASCII letter case, then a character that ends a tag name,
// stands at `at`.
bool tagNameAt(std::string_view text, std::size_t at, std::string_view name) {
    if (text.size() - at <= name.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (asciiLower(text[at + i]) != name[i]) {
            return false;
        }
    }
    return endsTagName(text[at + name.size()]);
}

// Whether the tag name at `text` is `name` (lower case) in any letter case: its letters,
// then a character that ends a name. The tag's ">" follows, so the look stays in the text.
template <std::size_t N>
bool isTagName(const char* text, const char (&name)[N]) {
    for (std::size_t i = 0; i + 1 < N; ++i) {
        if (asciiLower(text[i]) != name[i]) {
            return false;
        }
    }
    return endsTagName(text[N - 1]);
}

// Whether the closed tag that opens at `open` (a "<") ends a line in a browser: the
// start or end tag of br, p, div, li, tr, h1-h6, blockquote, pre, hr, ul, ol or table.
// Most tags are told apart by their first letter alone.
bool endsLine(std::string_view text, std::size_t open) {
    const char* name = text.data() + open + 1;
    name += *name == '/' ? 1 : 0;
    switch (asciiLower(name[0])) {
        case 'p':
            return isTagName(name, "p") || isTagName(name, "pre");
        case 'b':
            return isTagName(name, "br") || isTagName(name, "blockquote");
        case 'd':
            return isTagName(name, "div");
        case 'l':
            return isTagName(name, "li");
        case 't':
            return isTagName(name, "tr") || isTagName(name, "table");
        case 'h':
            return isTagName(name, "hr") ||
                   (name[1] >= '1' && name[1] <= '6' && endsTagName(name[2]));
        case 'u':
            return isTagName(name, "ul");
        case 'o':
            return isTagName(name, "ol");
        default:
            return false;
    }
}

// Whether a comment, script or style element may open at `open` (a "<"): most tags
// are none of them, and one look at the next byte tells.
bool mayOpenElement(std::string_view text, std::size_t open) {
    const char next = open + 1 < text.size() ? text[open + 1] : '\0';
    return next == '!' || next == 's' || next == 'S';
}

// One past the end of the comment, script or style element that opens at `open` (a
// "<"), which goes whole with all it holds; 0 when none opens there. Like a browser,
// a comment ends at the first "-->" ("<!-->" is a whole one), an element at its end
// tag's ">", and one never closed runs to the end of the text.
std::size_t elementEnd(std::string_view text, std::size_t open) {
    constexpr std::size_t kNone = std::string_view::npos;
    if (!mayOpenElement(text, open)) {
        return 0;
    }
    if (text.substr(open).starts_with("<!--")) {
        const std::size_t close = text.find("-->", open + 2);
        return close == kNone ? text.size() : close + 3;
    }
    for (const std::string_view name : {std::string_view("script"), std::string_view("style")}) {
        if (!tagNameAt(text, open + 1, name)) {
            continue;
        }
        for (std::size_t at = text.find("</", open + 1 + name.size()); at != kNone;
             at = text.find("</", at + 2)) {
            if (tagNameAt(text, at + 2, name)) {
                const std::size_t close = text.find('>', at + 2 + name.size());
                return close == kNone ? text.size() : close + 1;
            }
        }
        return text.size();
    }
    return 0;
}

// stripHtml looks at the text 32 bytes at a time: where a run may open ("<")
// and where an open run may close or stop (">", carriage return, 0xE2).
constexpr std::size_t kBlockSize = 32;

struct BlockMarks {
    std::uint32_t opens;
    std::uint32_t stops;
};

BlockMarks markBlock(const char* block) {
#if defined(__SSE2__)
    const __m128i open = _mm_set1_epi8('<');
    const __m128i close = _mm_set1_epi8('>');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lead = _mm_set1_epi8(static_cast<char>(0xE2));
    BlockMarks marks{0, 0};
    for (std::size_t half = 0; half < 2; ++half) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * half));
        const __m128i stops =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, close), _mm_cmpeq_epi8(bytes, cr)),
                         _mm_cmpeq_epi8(bytes, lead));
        const auto shift = static_cast<unsigned>(16 * half);
        marks.opens |= static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, open)))
                       << shift;
        marks.stops |= static_cast<std::uint32_t>(_mm_movemask_epi8(stops)) << shift;
    }
    return marks;
#else
    BlockMarks marks{0, 0};
    for (std::size_t i = 0; i < kBlockSize; ++i) {
        const unsigned char byte = byteAt(block, i);
        marks.opens |= static_cast<std::uint32_t>(byte == '<') << i;
        marks.stops |= static_cast<std::uint32_t>(byte == '>' || byte == '\r' || byte == 0xE2) << i;
    }
    return marks;
#endif
}

// The marks of the block that starts at `base`; past the end of the text, none.
BlockMarks marksAt(const char* text, std::size_t base, std::size_t size) {
    if (size - base >= kBlockSize) {
        return markBlock(text + base);
    }
    std::array<char, kBlockSize> tail{};
    std::memcpy(tail.data(), text + base, size - base);
    return markBlock(tail.data());
}

// Copies `count` bytes of a span that has `readable` bytes behind it. Spans are
// mostly short, so they go in whole fixed-size chunks (no library call) when
// the source and the equally large destination have room for the excess,
// which the next span overwrites.
std::size_t copySpan(char* to, const char* from, std::size_t count, std::size_t readable) {
    constexpr std::size_t kChunk = 64;
    if (count + kChunk <= readable) {
        for (std::size_t i = 0; i < count; i += kChunk) {
            std::memcpy(to + i, from + i, kChunk);
        }
    } else {
        std::memcpy(to, from, count);
    }
    return count;
}

// Clears the marks of `bit` and every position before it.
std::uint32_t clearThrough(std::uint32_t marks, unsigned bit) {
    return bit == 31 ? 0 : marks & ~((2u << bit) - 1);
}

// The first "<" after `from` and before `to` that opens a comment, script or style
// element; `to` when none does. Only "!", "s" and "S" can follow such a "<", so those
// are looked for: a text of nothing but "<" costs one quick scan.
std::size_t findElementStart(std::string_view text, std::size_t from, std::size_t to) {
    const char* data = text.data();
    // Where the byte after a "<" between `from` and `to` may stand.
    const std::size_t end = std::min(to + 1, text.size());
    const auto opensElementBefore = [&](std::size_t at) {
        return data[at - 1] == '<' && elementEnd(text, at - 1) != 0;
    };
    std::size_t at = from + 2;
#if defined(__SSE2__)
    const __m128i bang = _mm_set1_epi8('!');
    const __m128i lower = _mm_set1_epi8('s');
    const __m128i upper = _mm_set1_epi8('S');
    for (; at + 16 <= end; at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, bang), _mm_cmpeq_epi8(block, lower)),
                         _mm_cmpeq_epi8(block, upper))));
        for (; mask != 0; mask &= mask - 1) {
            const std::size_t hit = at + static_cast<std::size_t>(__builtin_ctz(mask));
            if (opensElementBefore(hit)) {
                return hit - 1;
            }
        }
    }
#endif
    for (; at < end; ++at) {
        const char c = data[at];
        if ((c == '!' || c == 's' || c == 'S') && opensElementBefore(at)) {
            return at - 1;
        }
    }
    return to;
}

}  // namespace

std::string cleanFeedText(std::string&& text) {
    char* data = text.data();
    const std::size_t size = text.size();
    std::size_t kept = 0;      // bytes already compacted to the front
    std::size_t keepFrom = 0;  // start of the span not yet compacted
    DeclarationState declarations;
    std::size_t at = 0;
    while (at < size) {
        const bool declarationsPossible = at >= declarations.noDeclarationBefore;
        const std::size_t end = declarationsPossible ? size : declarations.noDeclarationBefore;
        at = declarationsPossible ? findCandidate<true>(data, at, end)
                                  : findCandidate<false>(data, at, end);
        if (at == end) {
            continue;
        }
        const std::size_t removed = removalAt(data, at, size, declarations);
        if (removed == 0) {
            ++at;
            continue;
        }
        if (kept != keepFrom) {
            std::memmove(data + kept, data + keepFrom, at - keepFrom);
        }
        kept += at - keepFrom;
        at += removed;
        keepFrom = at;
    }
    if (keepFrom == 0) {
        return std::move(text);
    }
    std::memmove(data + kept, data + keepFrom, size - keepFrom);
    text.resize(kept + size - keepFrom);
    return std::move(text);
}

std::string stripHtml(std::string_view text) {
    const char* data = text.data();
    const std::size_t size = text.size();
    // A tag gives at most one byte, so the result fits in the text's size.
    std::string result(size, '\0');
    char* out = result.data();
    std::size_t written = 0;
    constexpr std::size_t kNone = std::string_view::npos;
    std::size_t open = kNone;  // the "<" of the run in progress
    std::size_t keepFrom = 0;
    const auto keepUpTo = [&](std::size_t end) {
        written += copySpan(out + written, data + keepFrom, end - keepFrom, size - keepFrom);
    };
    for (std::size_t base = 0; base < size;) {
        BlockMarks marks = marksAt(data, base, size);
        std::size_t next = base + kBlockSize;
        while (true) {
            if (open == kNone) {
                if (marks.opens == 0) {
                    break;
                }
                const auto bit = static_cast<unsigned>(__builtin_ctz(marks.opens));
                // A comment, script or style element goes whole; the scan goes on after it.
                if (const std::size_t end =
                        mayOpenElement(text, base + bit) ? elementEnd(text, base + bit) : 0;
                    end != 0) {
                    keepUpTo(base + bit);
                    keepFrom = next = end;
                    break;
                }
                open = base + bit;
                marks.opens = clearThrough(marks.opens, bit);
                marks.stops = clearThrough(marks.stops, bit);
                continue;
            }
            if (marks.stops == 0) {
                break;
            }
            const auto bit = static_cast<unsigned>(__builtin_ctz(marks.stops));
            const std::size_t at = base + bit;
            marks.stops &= marks.stops - 1;
            if (data[at] == '>') {
                // A ">" right after "<" is the run's first character, not its end.
                if (at < open + 2) {
                    continue;
                }
                keepUpTo(open);
                if (endsLine(text, open)) {
                    out[written++] = '\n';
                }
                keepFrom = at + 1;
            } else if (!isLineTerminator(data, at, size)) {
                continue;
            } else if (const std::size_t element = findElementStart(text, open, at);
                       element != at) {
                // Stopped; no "<" on the way opens a tag, but this one opens an element.
                open = kNone;
                next = element;
                break;
            }
            // Closed or stopped: a "<" met on the way opens nothing either.
            open = kNone;
            marks.opens = clearThrough(marks.opens, bit);
        }
        base = next;
    }
    // A run never closed or stopped may hold the start of an element that runs to the end.
    if (open != kNone) {
        if (const std::size_t element = findElementStart(text, open, size); element != size) {
            keepUpTo(element);
            keepFrom = size;
        }
    }
    keepUpTo(size);
    result.resize(written);
    if (written < size) {
        result.shrink_to_fit();  // items keep their texts long after the document is gone
    }
    return result;
}

std::string TextCleaner::cleanFeedText(std::string&& text) const {
    return feed::cleanFeedText(std::move(text));
}

std::string TextCleaner::stripHtml(std::string_view text) const {
    return feed::stripHtml(text);
}

}  // namespace lumeward::feed
