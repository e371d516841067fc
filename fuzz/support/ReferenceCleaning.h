#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Plain, slow statements of what the two cleaners do, byte by byte, to compare
// the fast ones against.
namespace lumeward::fuzz {

// Carriage return, U+2028 or U+2029 at `at`: a run may not cross them.
inline bool isRunStop(std::string_view text, std::size_t at) {
    if (text[at] == '\r') {
        return true;
    }
    const std::string_view rest = text.substr(at);
    return rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9");
}

// One past the ">" closing a run whose first character after the opener sits at
// `first`: that character, then any others, up to the nearest ">" after it,
// with no run stop from `first` on. Zero when there is none.
inline std::size_t runEnd(std::string_view text, std::size_t first) {
    if (first >= text.size() || isRunStop(text, first)) {
        return 0;
    }
    for (std::size_t at = first + 1; at < text.size(); ++at) {
        if (text[at] == '>') {
            return at + 1;
        }
        if (isRunStop(text, at)) {
            return 0;
        }
    }
    return 0;
}

inline bool startsDoctypeIgnoringCase(std::string_view text, std::size_t at) {
    constexpr std::string_view kDoctype = "<!doctype";
    if (text.size() - at < kDoctype.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kDoctype.size(); ++i) {
        char c = text[at + i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != kDoctype[i]) {
            return false;
        }
    }
    return true;
}

inline std::string referenceCleanFeedText(std::string_view text) {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        if (startsDoctypeIgnoringCase(text, at)) {
            if (const std::size_t end = runEnd(text, at + 9)) {
                at = end;
                continue;
            }
        }
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') {
            ++at;
            continue;
        }
        const std::string_view rest = text.substr(at);
        if (rest.starts_with("\xEF\xBF\xBE") || rest.starts_with("\xEF\xBF\xBF")) {
            at += 3;
            continue;
        }
        out += text[at++];
    }
    return out;
}

inline std::string referenceStripHtml(std::string_view text) {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == '<') {
            if (const std::size_t end = runEnd(text, at + 1)) {
                at = end;
                continue;
            }
        }
        out += text[at++];
    }
    return out;
}

}  // namespace lumeward::fuzz
