#include "memory/ItemKey.h"

#include <cstdint>

#include "text/AsciiText.h"

namespace lumeward::memory {

namespace {

// 64-bit FNV-1a: defined byte by byte, so independent of the machine.
std::uint64_t fnv1a(std::string_view bytes, std::uint64_t hash = 0xcbf29ce484222325u) {
    for (const char byte : bytes) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 0x100000001b3u;
    }
    return hash;
}

std::string hexOf(std::uint64_t value) {
    std::string digits(16, '0');
    for (auto place = digits.rbegin(); place != digits.rend(); ++place, value >>= 4) {
        *place = "0123456789abcdef"[value & 0xf];
    }
    return digits;
}

}  // namespace

std::string itemKey(std::string_view feedAddress, std::string_view id, std::string_view link,
                    std::string_view title, std::string_view description) {
    // An address is one line, so the line feed ends it; the word after it keeps an
    // id from matching another item's link.
    std::string key(feedAddress);
    if (const auto theId = text::trimmedAscii(id); !theId.empty()) {
        return key.append("\nid ").append(theId);
    }
    if (const auto theLink = text::trimmedAscii(link); !theLink.empty()) {
        return key.append("\nlink ").append(theLink);
    }
    // The zero byte, which no XML text holds, ends the title.
    const auto hash = fnv1a(description, fnv1a(std::string_view("\0", 1), fnv1a(title)));
    return key.append("\ntext ").append(hexOf(hash));
}

}  // namespace lumeward::memory
