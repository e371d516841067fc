#include "text/HtmlCharacterReferences.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "text/EncodingLabels.h"
#include "text/HtmlEntityTable.h"
#include "text/Utf8.h"

namespace lumeward::text {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
// Digits past this only matter as "too large"; it keeps the value from overflowing.
constexpr std::uint32_t kBeyondUnicode = 0x110000;

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isAsciiAlphanumeric(char c) {
    const char lower = static_cast<char>(c | 0x20);
    return isAsciiDigit(c) || (lower >= 'a' && lower <= 'z');
}

int hexValue(char c) {
    if (isAsciiDigit(c)) {
        return c - '0';
    }
    const char lower = static_cast<char>(c | 0x20);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

bool isForbiddenInXml(char32_t code) {
    return (code < 0x20 && code != '\t' && code != '\n' && code != '\r') || code == 0xFFFE ||
           code == 0xFFFF;
}

// What a number names: the standard's replacements, 0x80-0x9F read as Windows-1252 (the
// standard's table for them is that encoding's), nothing for what XML forbids.
std::optional<char32_t> numberedCharacter(std::uint32_t number) {
    if (number == 0 || number >= kBeyondUnicode || (number >= 0xD800 && number <= 0xDFFF)) {
        return kReplacement;
    }
    if (number >= 0x80 && number <= 0x9F) {
        static const auto* windows1252 = encodingForLabel("windows-1252").value().highBytes;
        return (*windows1252)[number - 0x80];
    }
    if (isForbiddenInXml(number)) {
        return std::nullopt;
    }
    return number;
}

struct Reference {
    std::size_t length = 0;  // of the reference from its "&"; 0 when there is none
    std::string_view named;  // the characters of a named reference
    // The character of a numeric reference, UTF-8; none when it yields nothing.
    std::array<char, 4> numbered{};
    std::size_t numberedLength = 0;

    std::string_view characters() const {
        return numberedLength > 0 ? std::string_view(numbered.data(), numberedLength) : named;
    }
};

// "&#" digits or "&#x" hex digits, then an optional ";".
Reference numericReferenceAt(std::string_view text, std::size_t at) {
    std::size_t pos = at + 2;
    const bool hex = pos < text.size() && (text[pos] == 'x' || text[pos] == 'X');
    pos += hex ? 1 : 0;
    const std::size_t digitsStart = pos;
    std::uint32_t number = 0;
    for (; pos < text.size(); ++pos) {
        const int digit =
            hex ? hexValue(text[pos]) : (isAsciiDigit(text[pos]) ? text[pos] - '0' : -1);
        if (digit < 0) {
            break;
        }
        number =
            std::min(number * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit), kBeyondUnicode);
    }
    if (pos == digitsStart) {
        return {};
    }
    Reference reference;
    reference.length = pos + (pos < text.size() && text[pos] == ';' ? 1 : 0) - at;
    if (const auto character = numberedCharacter(number)) {
        const char* end = writeUtf8(reference.numbered.data(), *character);
        reference.numberedLength = static_cast<std::size_t>(end - reference.numbered.data());
    }
    return reference;
}

const tables::NamedReference* findName(std::string_view name) {
    const auto& names = tables::kNamedReferences;
    const auto found = std::lower_bound(
        names.begin(), names.end(), name,
        [](const tables::NamedReference& entry, std::string_view key) { return entry.name < key; });
    return found != names.end() && found->name == name ? &*found : nullptr;
}

// The longest name at `at` + 1: the letters and digits there with their ";", else the
// longest of their beginnings that is a name without ";".
Reference namedReferenceAt(std::string_view text, std::size_t at) {
    const std::size_t start = at + 1;
    std::size_t end = start;
    while (end < text.size() && isAsciiAlphanumeric(text[end])) {
        ++end;
    }
    if (end < text.size() && text[end] == ';') {
        if (const auto* found = findName(text.substr(start, end + 1 - start))) {
            return {end + 1 - at, found->characters};
        }
    }
    for (std::size_t length = std::min(end - start, tables::kLongestNameWithoutSemicolon);
         length >= 2; --length) {
        if (const auto* found = findName(text.substr(start, length))) {
            return {length + 1, found->characters};
        }
    }
    return {};
}

Reference referenceAt(std::string_view text, std::size_t at) {
    if (at + 1 >= text.size()) {
        return {};
    }
    if (text[at + 1] == '#') {
        return numericReferenceAt(text, at);
    }
    return isAsciiAlphanumeric(text[at + 1]) ? namedReferenceAt(text, at) : Reference{};
}

}  // namespace

std::string decodeCharacterReferences(std::string&& text) {
    const std::string_view view = text;
    std::size_t at = view.find('&');
    if (at == std::string_view::npos) {
        return std::move(text);
    }
    std::string decoded;
    decoded.reserve(view.size());
    std::size_t keepFrom = 0;
    for (; at != std::string_view::npos; at = view.find('&', at)) {
        const Reference reference = referenceAt(view, at);
        if (reference.length == 0) {
            ++at;
            continue;
        }
        decoded.append(view, keepFrom, at - keepFrom);
        decoded.append(reference.characters());
        at += reference.length;
        keepFrom = at;
    }
    decoded.append(view, keepFrom);
    return decoded;
}

}  // namespace lumeward::text
