#pragma once

#include <string>
#include <string_view>

namespace lumeward::text {

// The multi-byte decoders of the WHATWG Encoding Standard for Chinese, Japanese and Korean.
// Each follows the standard's decoder step by step: a byte sequence the encoding does not
// define becomes one U+FFFD, and decoding resumes at the byte the standard names.

std::string decodeGb18030(std::string_view bytes);  // gb18030 and GBK
std::string decodeBig5(std::string_view bytes);
std::string decodeEucJp(std::string_view bytes);
std::string decodeIso2022Jp(std::string_view bytes);
std::string decodeShiftJis(std::string_view bytes);
std::string decodeEucKr(std::string_view bytes);

}  // namespace lumeward::text
