#pragma once

#include <string>

namespace lumeward::text {

// Decodes the character references of HTML text as a browser does outside
// attributes: named ones by the HTML Standard's whole table ("&amp;", "&eacute;",
// and the legacy names that may lack the ";": "&copy", "&notit;" is "¬it;"),
// decimal and hexadecimal ones ("&#8212;", "&#x2014", any number of digits)
// with the standard's replacements: U+FFFD for zero, surrogates and values past
// U+10FFFF, the Windows-1252 characters for 0x80-0x9F. A reference to a
// character XML forbids (U+0001-U+0008, U+000B, U+000C, U+000E-U+001F, U+FFFE,
// U+FFFF) yields nothing, as the feed's own text never holds one. Anything that
// is not a reference stays as it is. Text without "&" comes back without a copy.
// Linear time.
std::string decodeCharacterReferences(std::string&& text);

}  // namespace lumeward::text
