#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "text/Utf8.h"

namespace lumeward::text {

// The most text one sequence decodes to: two code points (a Big5 letter and its mark).
inline constexpr std::size_t kSequenceTextBytes = 8;

// Decodes an encoding in which every byte below 0x80 is the ASCII character: runs of them
// are copied at once, and `decodeSequence(rest, out)` decodes the sequence at the start of
// `rest`, whose first byte is 0x80 or above, writes its text at `out` (moving it on; there
// is room for kSequenceTextBytes) and returns how many bytes it used, at least one. Bytes it
// leaves are read again as the start of what follows: the standard's decoders resume after
// an error that way ("prepend to the stream").
template <typename DecodeSequence>
std::string decodeAsciiCompatible(std::string_view bytes, DecodeSequence decodeSequence) {
    std::string text(bytes.size() + bytes.size() / 2 + kSequenceTextBytes, '\0');
    std::size_t used = 0;
    const auto makeRoom = [&text, &used](std::size_t count) {
        if (text.size() - used < count) {
            text.resize(std::max(2 * text.size(), used + count));
        }
    };
    while (!bytes.empty()) {
        if (static_cast<unsigned char>(bytes.front()) < 0x80) {
            const std::size_t ascii = asciiLength(bytes);
            makeRoom(ascii);
            std::memcpy(text.data() + used, bytes.data(), ascii);
            used += ascii;
            bytes.remove_prefix(ascii);
            continue;
        }
        makeRoom(kSequenceTextBytes);
        char* out = text.data() + used;
        bytes.remove_prefix(decodeSequence(bytes, out));
        used = static_cast<std::size_t>(out - text.data());
    }
    text.resize(used);
    return text;
}

}  // namespace lumeward::text
