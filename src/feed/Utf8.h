#pragma once

#include <cstddef>
#include <string_view>

namespace lumeward::feed {

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

}  // namespace lumeward::feed
