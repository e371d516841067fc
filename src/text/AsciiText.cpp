#include "text/AsciiText.h"

#include <algorithm>

namespace lumeward::text {

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

std::string_view trimmedAscii(std::string_view text) {
    const auto first = text.find_first_not_of(kAsciiWhiteSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kAsciiWhiteSpace) - first + 1);
}

}  // namespace lumeward::text
