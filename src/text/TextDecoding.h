#pragma once

#include <string>
#include <string_view>

namespace lumeward::text {

// Turns a response body into UTF-8 text, choosing the encoding by, in order:
// a byte-order mark; UTF-8 for a JSON object (JSON is UTF-8 whatever the header
// says); the charset of the Content-Type header; the encoding named in the XML
// declaration; UTF-8 when the bytes are valid UTF-8; Windows-1252.
// Labels and encodings are read as browsers read them, by the WHATWG Encoding
// Standard; a label it does not know goes to iconv, and one neither knows is
// passed over. A byte-order mark is not part of the result. Byte sequences that
// are invalid in the chosen encoding become U+FFFD; nothing else is lost.
std::string decodeResponseBody(std::string&& body, std::string_view contentType);

// Where the text's JSON object starts: its "{", after JSON white space and UTF-8
// byte-order marks; npos when the text does not start with one.
std::size_t jsonObjectStart(std::string_view text);

}  // namespace lumeward::text
