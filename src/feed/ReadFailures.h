#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumeward::feed {

// Why a read failed, in a few words a list of outcomes can show ("Could not
// connect", "Timed out"), from the reader's last error number. Empty for a
// number without words of its own: the caller shows the reader's text then.
std::string_view failureInFewWords(std::int32_t errorCode);

// The server an address is read from, as "scheme://host:port" with the
// scheme's own port filled in; the address itself when it cannot be parsed.
std::string serverOf(std::string_view address);

}  // namespace lumeward::feed
