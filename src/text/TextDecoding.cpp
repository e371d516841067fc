#include "text/TextDecoding.h"

#include <bit>
#include <optional>
#include <utility>

#include "text/CharsetLabels.h"
#include "text/CjkDecoding.h"
#include "text/EncodingLabels.h"
#include "text/IconvDecoding.h"
#include "text/SingleByteDecoding.h"
#include "text/Utf16Decoding.h"
#include "text/Utf8.h"

namespace lumeward::text {

namespace {

std::string decode(const Encoding& encoding, std::string&& bytes) {
    switch (encoding.kind) {
        case EncodingKind::Utf8:
            return decodeUtf8(std::move(bytes));
        case EncodingKind::SingleByte:
            return decodeSingleByte(bytes, *encoding.highBytes);
        case EncodingKind::Gb18030:
            return decodeGb18030(bytes);
        case EncodingKind::Big5:
            return decodeBig5(bytes);
        case EncodingKind::EucJp:
            return decodeEucJp(bytes);
        case EncodingKind::Iso2022Jp:
            return decodeIso2022Jp(bytes);
        case EncodingKind::ShiftJis:
            return decodeShiftJis(bytes);
        case EncodingKind::EucKr:
            return decodeEucKr(bytes);
        case EncodingKind::Utf16Be:
            return decodeUtf16(bytes, std::endian::big);
        case EncodingKind::Utf16Le:
            return decodeUtf16(bytes, std::endian::little);
        case EncodingKind::Replacement:
            // Encodings browsers refuse to read, since they can hide mark-up from filters.
            return bytes.empty() ? std::string() : std::string(kReplacementCharacter);
    }
    return {};
}

}  // namespace

std::string decodeResponseBody(std::string&& body, std::string_view contentType) {
    std::string_view markCharset;
    if (const ByteOrderMark* mark = findByteOrderMark(body)) {
        markCharset = mark->charset;
        body.erase(0, mark->bytes.size());
    } else if (jsonObjectStart(body) != std::string_view::npos) {
        return decodeUtf8(std::move(body));
    }
    for (const std::string_view label :
         {markCharset, charsetFromContentType(contentType), charsetFromXmlDeclaration(body)}) {
        if (const auto encoding = encodingForLabel(label)) {
            return decode(*encoding, std::move(body));
        }
        if (auto text = decodeWithIconv(label, body)) {
            return std::move(*text);
        }
    }
    if (validUtf8Length(body) == body.size()) {
        return std::move(body);
    }
    return decode(encodingForLabel("windows-1252").value(), std::move(body));
}

std::size_t jsonObjectStart(std::string_view text) {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    std::size_t start = 0;
    while (start < text.size()) {
        if (text.substr(start).starts_with(kMark)) {
            start += kMark.size();
        } else if (const char c = text[start]; c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            ++start;
        } else {
            break;
        }
    }
    return start < text.size() && text[start] == '{' ? start : std::string_view::npos;
}

}  // namespace lumeward::text
