#pragma once

#include <cstdint>

// libcurl's failure codes, as the HTTP component reports them. They are part of
// libcurl's stable interface; its header stays inside the component.
namespace lumeward::test {

inline constexpr std::int32_t kCouldNotConnect = 7;     // CURLE_COULDNT_CONNECT
inline constexpr std::int32_t kOperationTimedOut = 28;  // CURLE_OPERATION_TIMEDOUT
inline constexpr std::int32_t kTooManyRedirects = 47;   // CURLE_TOO_MANY_REDIRECTS
inline constexpr std::int32_t kGotNothing = 52;         // CURLE_GOT_NOTHING
inline constexpr std::int32_t kFileSizeExceeded = 63;   // CURLE_FILESIZE_EXCEEDED

}  // namespace lumeward::test
