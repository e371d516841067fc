#include "feed/TextCleaning.h"

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

// Elements whose start or end tag ends a line in a browser.
constexpr std::array<std::string_view, 17> kLineEndingElements = {
    "br", "p",  "div", "li", "tr", "h1",  "h2",    "h3",        "h4",
    "h5", "h6", "hr",  "ul", "ol", "pre", "table", "blockquote"};

// Whether the closed tag that opens at `open` (a "<") ends a line.
bool endsLine(std::string_view text, std::size_t open) {
    std::size_t at = open + 1;
    at += text[at] == '/' ? 1 : 0;
    for (const std::string_view name : kLineEndingElements) {
        if (asciiLower(text[at]) == name[0] && tagNameAt(text, at, name)) {
            return true;
        }
    }
    return false;
}

// One past the end of the comment, script or style element that opens at `open` (a
// "<"), which goes whole with all it holds; 0 when none opens there. Like a browser,
// a comment ends at the first "-->" ("<!-->" is a whole one), an element at its end
// tag's ">", and one never closed runs to the end of the text.
std::size_t elementEnd(std::string_view text, std::size_t open) {
    constexpr std::size_t kNone = std::string_view::npos;
    const std::string_view rest = text.substr(open);
    if (rest.starts_with("<!--")) {
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

// The first "<" after `from` and before `to` that opens a comment, script or style
// element; `to` when none does.
std::size_t findElementStart(std::string_view text, std::size_t from, std::size_t to) {
    for (std::size_t at = text.find('<', from + 1); at < to; at = text.find('<', at + 1)) {
        if (elementEnd(text, at) != 0) {
            return at;
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
    const auto keep = [&](std::size_t from, std::size_t to) {
        std::memcpy(out, data + from, to - from);
        out += to - from;
    };
    std::size_t keepFrom = 0;
    std::size_t at = 0;
    while (at < size) {
        const auto* found = static_cast<const char*>(std::memchr(data + at, '<', size - at));
        if (found == nullptr) {
            break;
        }
        const auto open = static_cast<std::size_t>(found - data);
        if (const std::size_t end = elementEnd(text, open); end != 0) {
            keep(keepFrom, open);
            keepFrom = at = end;
            continue;
        }
        const RunEnd run = findRunEnd(data, open + 1, size);
        if (run.closed) {
            keep(keepFrom, open);
            if (endsLine(text, open)) {
                *out++ = '\n';
            }
            keepFrom = at = run.at + 1;
            continue;
        }
        // No "<" before the stop opens a tag then, but a comment or an element may.
        at = findElementStart(text, open, run.at);
    }
    keep(keepFrom, size);
    result.resize(static_cast<std::size_t>(out - result.data()));
    if (result.size() < size) {
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
