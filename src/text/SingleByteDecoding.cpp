#include "text/SingleByteDecoding.h"

#include "text/AsciiCompatibleDecoding.h"
#include "text/Utf8.h"

namespace lumeward::text {

std::string decodeSingleByte(std::string_view bytes, const std::array<char16_t, 128>& highBytes) {
    return decodeAsciiCompatible(bytes, [&highBytes](std::string_view rest, char*& out) {
        const char16_t codePoint = highBytes[static_cast<unsigned char>(rest.front()) - 0x80];
        out = writeUtf8(out, codePoint == 0 ? 0xFFFD : codePoint);
        return std::size_t{1};
    });
}

}  // namespace lumeward::text
