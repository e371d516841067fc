#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// The WHATWG Encoding Standard's labels and indexes (data/whatwg/), compiled at build
// time by generator/MakeEncodingTables.cpp. An index maps a pointer to a code point;
// 0 marks a pointer the index leaves undefined, as no index maps one to U+0000.
namespace lumeward::text::tables {

struct EncodingLabel {
    std::string_view label;     // lower case
    std::string_view encoding;  // the encoding's name, as the standard writes it
};

struct SingleByteIndex {
    std::string_view name;  // of the index file: "windows-1252" for index-windows-1252.txt
    std::array<char16_t, 128> highBytes;  // code points of bytes 0x80-0xFF
};

struct Gb18030Range {
    std::uint32_t pointer;
    char32_t codePoint;
};

extern const std::span<const EncodingLabel> kEncodingLabels;       // sorted by label
extern const std::span<const SingleByteIndex> kSingleByteIndexes;  // sorted by name
extern const std::span<const Gb18030Range> kGb18030Ranges;         // ascending pointers
extern const std::span<const char16_t> kGb18030Index;
extern const std::span<const char32_t> kBig5Index;  // HKSCS reaches past U+FFFF
extern const std::span<const char16_t> kJis0208Index;
extern const std::span<const char16_t> kJis0212Index;
extern const std::span<const char16_t> kEucKrIndex;

}  // namespace lumeward::text::tables
