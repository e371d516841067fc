#pragma once

#include <string>
#include <string_view>

#include "feed/Component.h"

namespace lumeward::feed {

// Removes every document type declaration ("<!DOCTYPE", any letter case, up to
// the first ">" after at least one further character, with no carriage return,
// U+2028 or U+2029 on the way) and every character that XML 1.0 forbids
// (U+0000-U+0008, U+000B, U+000C, U+000E-U+001F, U+FFFE, U+FFFF). All other
// text stays as it is. Expects valid UTF-8; linear time on any input.
std::string cleanFeedText(std::string&& text);

// Removes every run from "<" to the nearest ">" that follows at least one
// further character, with no carriage return, U+2028 or U+2029 on the way:
// tags, comments and any other "<...>" pair. "<>" alone stays. Linear time.
std::string stripHtml(std::string_view text);

// The text-cleaning component the reader holds for its lifetime.
class TextCleaner : public Component {
public:
    std::string cleanFeedText(std::string&& text) const;
    std::string stripHtml(std::string_view text) const;
};

}  // namespace lumeward::feed
