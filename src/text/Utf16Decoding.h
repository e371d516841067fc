#pragma once

#include <bit>
#include <string>
#include <string_view>

namespace lumeward::text {

// Decodes UTF-16 in the given byte order. A surrogate without its partner becomes U+FFFD,
// and the code unit after an unpaired lead surrogate is read on its own; an odd last byte,
// or a lead surrogate at the end, becomes one U+FFFD.
std::string decodeUtf16(std::string_view bytes, std::endian order);

}  // namespace lumeward::text
