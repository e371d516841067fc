#pragma once

#include <string>
#include <string_view>

namespace lumeward::batch {

// Appends text as a quoted JSON string. Quote, backslash and control characters
// are escaped; each ill-formed UTF-8 sequence becomes U+FFFD, so the output is
// always valid JSON and valid UTF-8 whatever bytes a feed delivered.
void appendJsonString(std::string& out, std::string_view text);

}  // namespace lumeward::batch
