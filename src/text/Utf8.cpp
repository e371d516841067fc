#include "text/Utf8.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

namespace lumeward::text {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Index of the first byte with its high bit set in an 8-byte word loaded with memcpy.
int firstHighByte(std::uint64_t highBits) {
    if constexpr (std::endian::native == std::endian::little) {
        return std::countr_zero(highBits) / 8;
    } else {
        return std::countl_zero(highBits) / 8;
    }
}

}  // namespace

Utf8Sequence readUtf8Sequence(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        return {1, true};
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return {1, false};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (i == text.size()) {
            return {i, false};
        }
        const auto next = static_cast<unsigned char>(text[i]);
        if (next < low || next > high) {
            return {i, false};
        }
        low = 0x80;
        high = 0xBF;
    }
    return {length, true};
}

// Scans 16 bytes at a time.
std::size_t asciiLength(std::string_view text) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    for (; end - p >= 16; p += 16) {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        std::memcpy(&low, p, 8);
        std::memcpy(&high, p + 8, 8);
        if (((low | high) & kHighBits) != 0) {
            const std::size_t offset = static_cast<std::size_t>(p - begin);
            return (low & kHighBits) != 0 ? offset + firstHighByte(low & kHighBits)
                                          : offset + 8 + firstHighByte(high & kHighBits);
        }
    }
    while (p != end && static_cast<unsigned char>(*p) < 0x80) {
        ++p;
    }
    return static_cast<std::size_t>(p - begin);
}

std::size_t validUtf8Length(std::string_view text) {
    std::size_t pos = 0;
    for (;;) {
        pos += asciiLength(text.substr(pos));
        if (pos == text.size()) {
            return pos;
        }
        const Utf8Sequence sequence = readUtf8Sequence(text.substr(pos));
        if (!sequence.valid) {
            return pos;
        }
        pos += sequence.length;
    }
}

std::string decodeUtf8(std::string&& bytes) {
    std::size_t valid = validUtf8Length(bytes);
    if (valid == bytes.size()) {
        return std::move(bytes);
    }
    std::string text;
    text.reserve(bytes.size() + 2 * kReplacementCharacter.size());
    std::string_view rest = bytes;
    for (;;) {
        text.append(rest.substr(0, valid));
        rest.remove_prefix(valid);
        if (rest.empty()) {
            return text;
        }
        text.append(kReplacementCharacter);
        rest.remove_prefix(readUtf8Sequence(rest).length);
        valid = validUtf8Length(rest);
    }
}

void appendUtf8(std::string& text, char32_t codePoint) {
    char bytes[4];
    text.append(bytes, writeUtf8(bytes, codePoint));
}

}  // namespace lumeward::text
