#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumeward::workflows {

// The one rule for a line that may hold a feed address, whichever way it comes
// in (typed, loaded from a file, pasted, dropped): white space around it is not
// part of it, a line that is empty after trimming adds nothing, and a line whose
// first non-blank character is "#" is a comment. White space is every Unicode
// White_Space character, so a no-break space copied from a web page goes too.
// Expects UTF-8. Returns the address, or nothing.
std::optional<std::string_view> addressOfLine(std::string_view line);

// The addresses a text holds, one per line by the rule above. A line ends at
// CR LF, a lone CR or a bare LF.
std::vector<std::string> addressesOfText(std::string_view text);

}  // namespace lumeward::workflows
