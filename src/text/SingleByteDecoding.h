#pragma once

#include <array>
#include <string>
#include <string_view>

namespace lumeward::text {

// Decodes a single-byte encoding: bytes below 0x80 are ASCII, the others the code points
// of `highBytes` (bytes 0x80-0xFF); a byte whose entry is 0 becomes U+FFFD.
std::string decodeSingleByte(std::string_view bytes, const std::array<char16_t, 128>& highBytes);

}  // namespace lumeward::text
