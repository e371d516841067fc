#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumeward::text {

// Decodes by the C library's converter, for a charset label the WHATWG Encoding Standard
// does not know ("IBM855", "UTF-32LE", ...). Each byte sequence the converter rejects
// becomes U+FFFD and it resumes one byte later; the text is valid UTF-8 whatever the
// converter emits. None when iconv does not know the label, or would read it as more
// than a charset ("//TRANSLIT").
std::optional<std::string> decodeWithIconv(std::string_view label, std::string_view bytes);

}  // namespace lumeward::text
