#include "text/HtmlCharacterReferences.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
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

// What the named references stand for takes at most 6 bytes, a numbered character 4.
constexpr std::size_t kLongestCharacters = 8;

// A reference found in a text: its length from its "&" (0 when there is none) and how
// many bytes of characters it gave.
struct Reference {
    std::size_t length = 0;
    std::size_t count = 0;
};

// "&#" digits or "&#x" hex digits, then an optional ";". Its character goes to `out`.
Reference numericReferenceAt(std::string_view text, std::size_t at, char* out) {
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
    const std::size_t length = pos + (pos < text.size() && text[pos] == ';' ? 1 : 0) - at;
    const auto character = numberedCharacter(number);
    return {length, character ? static_cast<std::size_t>(writeUtf8(out, *character) - out) : 0};
}

// The names that begin with each ASCII letter or digit, as a range of the sorted table,
// so a look-up searches a few dozen names instead of all of them.
struct NameRange {
    std::uint16_t begin = 0;
    std::uint16_t end = 0;
};

const std::array<NameRange, 128>& namesByFirstCharacter() {
    static const std::array<NameRange, 128> ranges = [] {
        std::array<NameRange, 128> built{};
        const auto& names = tables::kNamedReferences;
        for (std::size_t i = 0; i < names.size(); ++i) {
            NameRange& range = built[static_cast<unsigned char>(names[i].name[0]) & 0x7F];
            range.begin = range.end == 0 ? static_cast<std::uint16_t>(i) : range.begin;
            range.end = static_cast<std::uint16_t>(i + 1);
        }
        return built;
    }();
    return ranges;
}

// Byte order, as the table is sorted. Names are short: compared here, not by a
// library call.
bool isBefore(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] != b[i]) {
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]);
        }
    }
    return a.size() < b.size();
}

const tables::NamedReference* findName(std::string_view name) {
    const NameRange range = namesByFirstCharacter()[static_cast<unsigned char>(name[0]) & 0x7F];
    const auto first = tables::kNamedReferences.begin() + range.begin;
    const auto last = tables::kNamedReferences.begin() + range.end;
    const auto found = std::lower_bound(
        first, last, name, [](const tables::NamedReference& entry, std::string_view key) {
            return isBefore(entry.name, key);
        });
    return found != last && !isBefore(name, found->name) ? &*found : nullptr;
}

// The longest name at `at` + 1: the letters and digits there with their ";", else the
// longest of their beginnings that is a name without ";". Its characters go to `out`.
Reference namedReferenceAt(std::string_view text, std::size_t at, char* out) {
    const std::size_t start = at + 1;
    std::size_t end = start;
    while (end < text.size() && isAsciiAlphanumeric(text[end])) {
        ++end;
    }
    const auto found = [&](const tables::NamedReference& name, std::size_t length) {
        std::copy(name.characters.begin(), name.characters.end(), out);
        return Reference{length, name.characters.size()};
    };
    if (end < text.size() && text[end] == ';') {
        if (const auto* name = findName(text.substr(start, end + 1 - start))) {
            return found(*name, end + 1 - at);
        }
    }
    for (std::size_t length = std::min(end - start, tables::kLongestNameWithoutSemicolon);
         length >= 2; --length) {
        if (const auto* name = findName(text.substr(start, length))) {
            return found(*name, length + 1);
        }
    }
    return {};
}

Reference referenceAt(std::string_view text, std::size_t at, char* out) {
    if (at + 1 >= text.size()) {
        return {};
    }
    if (text[at + 1] == '#') {
        return numericReferenceAt(text, at, out);
    }
    return isAsciiAlphanumeric(text[at + 1]) ? namedReferenceAt(text, at, out) : Reference{};
}

// Appends the text with its references decoded.
void appendDecoded(std::string& to, std::string_view text) {
    std::array<char, kLongestCharacters> characters{};
    std::size_t keepFrom = 0;
    for (std::size_t at = text.find('&'); at != std::string_view::npos; at = text.find('&', at)) {
        const Reference reference = referenceAt(text, at, characters.data());
        if (reference.length == 0) {
            ++at;
            continue;
        }
        to.append(text, keepFrom, at - keepFrom);
        to.append(characters.data(), reference.count);
        at += reference.length;
        keepFrom = at;
    }
    to.append(text, keepFrom);
}

}  // namespace

std::string decodeCharacterReferences(std::string&& text) {
    std::size_t at = text.find('&');
    if (at == std::string::npos) {
        return std::move(text);
    }
    // In place: a reference is at least as long as what it stands for, but for "&nGt;"
    // and "&nLt;", which may not fit; from there on the text is decoded into a new one.
    char* data = text.data();
    const std::size_t size = text.size();
    std::array<char, kLongestCharacters> characters{};
    std::size_t written = at;
    std::size_t keepFrom = at;
    while (true) {
        const Reference reference = referenceAt(text, at, characters.data());
        if (reference.length == 0) {
            ++at;
        } else if (written + (at - keepFrom) + reference.count > at + reference.length) {
            std::string grown;
            grown.reserve(size + size / 4);
            grown.append(data, written);
            appendDecoded(grown, std::string_view(text).substr(keepFrom));
            return grown;
        } else {
            std::memmove(data + written, data + keepFrom, at - keepFrom);
            written += at - keepFrom;
            for (std::size_t i = 0; i < reference.count; ++i) {
                data[written++] = characters[i];
            }
            at += reference.length;
            keepFrom = at;
        }
        const auto* next = static_cast<const char*>(std::memchr(data + at, '&', size - at));
        if (next == nullptr) {
            break;
        }
        at = static_cast<std::size_t>(next - data);
    }
    std::memmove(data + written, data + keepFrom, size - keepFrom);
    text.resize(written + size - keepFrom);
    return std::move(text);
}

}  // namespace lumeward::text
