#pragma once

#include <string>
#include <string_view>

namespace lumeward::text {

// Where a response body names its encoding, in the order decodeResponseBody asks.
// Each look-up returns a view into its argument, or an empty view when nothing is named.

struct ByteOrderMark {
    std::string_view bytes;
    std::string_view charset;
};

// The byte-order mark a body starts with, or nullptr.
const ByteOrderMark* findByteOrderMark(std::string_view body);

// The charset parameter of a Content-Type header value, quoted or not.
std::string_view charsetFromContentType(std::string_view contentType);

// The encoding named by an XML declaration at the very start of the body that ends
// within its first 1 KiB; "UTF-16LE" or "UTF-16BE" for a body starting "<?" in UTF-16.
// A UTF-16 or UTF-32 name in a declaration readable as ASCII is not returned.
std::string_view charsetFromXmlDeclaration(std::string_view body);

// A label without surrounding ASCII white space (form feed included) and in lower case.
std::string normalisedCharset(std::string_view label);

}  // namespace lumeward::text
