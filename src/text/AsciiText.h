#pragma once

#include <string_view>

namespace lumeward::text {

// White space as protocols and mark-up define it: ASCII only, no locale.
inline constexpr std::string_view kAsciiWhiteSpace = " \t\n\f\r";

// Equal but for the case of ASCII letters, as header names, schemes and tag
// names compare; no locale.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// text without the ASCII white space around it.
std::string_view trimmedAscii(std::string_view text);

}  // namespace lumeward::text
