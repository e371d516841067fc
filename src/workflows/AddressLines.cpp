#include "workflows/AddressLines.h"

#include <algorithm>
#include <array>

namespace lumeward::workflows {

namespace {

// The White_Space characters beyond ASCII, in UTF-8.
constexpr std::array<std::string_view, 19> kWideWhiteSpace = {
    "\xC2\x85",     "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81",
    "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85", "\xE2\x80\x86",
    "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89", "\xE2\x80\x8A", "\xE2\x80\xA8",
    "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80"};

bool isAsciiWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The bytes of the white-space character that text starts with (atEnd: ends
// with); 0 when it does not.
std::size_t whiteSpaceAt(std::string_view text, bool atEnd) {
    if (text.empty()) {
        return 0;
    }
    if (isAsciiWhiteSpace(atEnd ? text.back() : text.front())) {
        return 1;
    }
    const auto matches = [&](std::string_view space) {
        return atEnd ? text.ends_with(space) : text.starts_with(space);
    };
    const auto* found = std::ranges::find_if(kWideWhiteSpace, matches);
    return found != kWideWhiteSpace.end() ? found->size() : 0;
}

}  // namespace

std::optional<std::string_view> addressOfLine(std::string_view line) {
    while (const std::size_t space = whiteSpaceAt(line, false)) {
        line.remove_prefix(space);
    }
    while (const std::size_t space = whiteSpaceAt(line, true)) {
        line.remove_suffix(space);
    }
    if (line.empty() || line.front() == '#') {
        return std::nullopt;
    }
    return line;
}

std::vector<std::string> addressesOfText(std::string_view text) {
    std::vector<std::string> addresses;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        if (const auto address = addressOfLine(text.substr(start, end - start))) {
            addresses.emplace_back(*address);
        }
        start = end + 1;
    }
    return addresses;
}

}  // namespace lumeward::workflows
