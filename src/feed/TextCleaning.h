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

// The mark-up of HTML text removed as a browser would not show it: comments and
// script and style elements go with all they hold; every other run from "<" to
// the nearest ">" that follows at least one further character, with no carriage
// return, U+2028 or U+2029 on the way, goes too ("<>" alone stays), and becomes
// one line feed when it is a start or end tag that ends a line in a browser (br,
// p, div, li, tr, h1-h6, blockquote, pre, hr, ul, ol, table). Character
// references are left as they are. Linear time.
std::string stripHtml(std::string_view text);

// The text-cleaning component the reader holds for its lifetime.
class TextCleaner : public Component {
public:
    std::string cleanFeedText(std::string&& text) const;
    std::string stripHtml(std::string_view text) const;
};

}  // namespace lumeward::feed
