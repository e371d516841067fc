#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace lumeward::text {

// The encodings of the WHATWG Encoding Standard, by the decoder each needs.
enum class EncodingKind {
    Utf8,
    SingleByte,
    Gb18030,  // also GBK, which shares its decoder
    Big5,
    EucJp,
    Iso2022Jp,
    ShiftJis,
    EucKr,
    Utf16Be,
    Utf16Le,
    Replacement,
};

struct Encoding {
    EncodingKind kind;
    // Single-byte encodings only: the code points of bytes 0x80-0xFF, 0 where undefined.
    const std::array<char16_t, 128>* highBytes = nullptr;
};

// The encoding a charset label names in the standard's table, compared without regard to
// ASCII case or surrounding white space; none for a label the table lacks.
std::optional<Encoding> encodingForLabel(std::string_view label);

}  // namespace lumeward::text
