#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumeward::feed {

// Why a read failed, in a few words a list of outcomes can show ("Could not
// connect", "Timed out"), from the reader's last error number. Empty for a
// number without words of its own: the caller shows the reader's text then.
std::string_view failureInFewWords(std::int32_t errorCode);

// The host whose per-server limit an address counts against: the host name,
// lower-case, without a trailing dot, an international name in its ASCII
// (punycode) form; scheme, port and credentials play no part. The address
// itself when it cannot be parsed.
std::string hostKeyOf(std::string_view address);

}  // namespace lumeward::feed
