#include "text/EncodingLabels.h"

#include <algorithm>
#include <string>
#include <utility>

#include "text/CharsetLabels.h"
#include "text/EncodingTables.h"

namespace lumeward::text {

namespace {

using tables::EncodingLabel;
using tables::SingleByteIndex;

constexpr std::pair<std::string_view, EncodingKind> kMultiByteEncodings[] = {
    {"UTF-8", EncodingKind::Utf8},
    {"GBK", EncodingKind::Gb18030},
    {"gb18030", EncodingKind::Gb18030},
    {"Big5", EncodingKind::Big5},
    {"EUC-JP", EncodingKind::EucJp},
    {"ISO-2022-JP", EncodingKind::Iso2022Jp},
    {"Shift_JIS", EncodingKind::ShiftJis},
    {"EUC-KR", EncodingKind::EucKr},
    {"UTF-16BE", EncodingKind::Utf16Be},
    {"UTF-16LE", EncodingKind::Utf16Le},
    {"replacement", EncodingKind::Replacement},
};

// x-user-defined has no index: its high bytes name U+F780-U+F7FF in order.
constexpr std::array<char16_t, 128> kUserDefinedHighBytes = [] {
    std::array<char16_t, 128> highBytes{};
    for (std::size_t i = 0; i < highBytes.size(); ++i) {
        highBytes[i] = static_cast<char16_t>(0xF780 + i);
    }
    return highBytes;
}();

std::optional<Encoding> encodingNamed(std::string_view name) {
    for (const auto& [encodingName, kind] : kMultiByteEncodings) {
        if (name == encodingName) {
            return Encoding{kind};
        }
    }
    if (name == "x-user-defined") {
        return Encoding{EncodingKind::SingleByte, &kUserDefinedHighBytes};
    }
    // ISO-8859-8-I differs from ISO-8859-8 only in how text is laid out, not in its bytes.
    const std::string indexName = name == "ISO-8859-8-I" ? "iso-8859-8" : normalisedCharset(name);
    const auto& indexes = tables::kSingleByteIndexes;
    const auto found = std::lower_bound(
        indexes.begin(), indexes.end(), indexName,
        [](const SingleByteIndex& index, std::string_view wanted) { return index.name < wanted; });
    if (found == indexes.end() || found->name != indexName) {
        return std::nullopt;
    }
    return Encoding{EncodingKind::SingleByte, &found->highBytes};
}

}  // namespace

std::optional<Encoding> encodingForLabel(std::string_view label) {
    const std::string wanted = normalisedCharset(label);
    const auto& labels = tables::kEncodingLabels;
    const auto found = std::lower_bound(
        labels.begin(), labels.end(), wanted,
        [](const EncodingLabel& entry, std::string_view key) { return entry.label < key; });
    if (found == labels.end() || found->label != wanted) {
        return std::nullopt;
    }
    return encodingNamed(found->encoding);
}

}  // namespace lumeward::text
