#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Plain, slow statements of what the two cleaners do, byte by byte, to compare
// the fast ones against. Each "<" is tried on its own, as a regular expression would.
namespace lumeward::fuzz {

// Carriage return, U+2028 or U+2029 at `at`: a run may not cross them.
inline bool isRunStop(std::string_view text, std::size_t at) {
    const std::string_view rest = text.substr(at);
    return rest[0] == '\r' || rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9");
}

// Where a run whose first character after the opener sits at `first` stops: the
// nearest ">" after that character, which closes it, else the first run stop from
// `first` on, else the end of the text.
inline std::size_t runStop(std::string_view text, std::size_t first) {
    std::size_t at = first;
    while (at < text.size() && !isRunStop(text, at) && (at == first || text[at] != '>')) {
        ++at;
    }
    return at;
}

inline bool closesRun(std::string_view text, std::size_t stop) {
    return stop < text.size() && text[stop] == '>';
}

// One past the ">" that closes an internal subset whose content starts at `at`: the
// first "]" outside quoted strings and comments, then only white space up to ">".
// Zero when the subset is not closed so.
inline std::size_t subsetEnd(std::string_view text, std::size_t at) {
    while (at < text.size() && text[at] != ']') {
        const std::string_view rest = text.substr(at);
        const std::string_view closer = rest[0] == '"'             ? "\""
                                        : rest[0] == '\''          ? "'"
                                        : rest.starts_with("<!--") ? "-->"
                                                                   : "";
        if (closer.empty()) {
            ++at;
            continue;
        }
        const std::size_t end = rest.find(closer, closer.size() == 3 ? 4 : 1);
        if (end == std::string_view::npos) {
            return 0;
        }
        at += end + closer.size();
    }
    const std::size_t close = text.find_first_not_of(" \t\r\n", at + 1);
    return at < text.size() && closesRun(text, close) ? close + 1 : 0;
}

inline bool startsDoctypeIgnoringCase(std::string_view text, std::size_t at) {
    constexpr std::string_view kDoctype = "<!doctype";
    for (std::size_t i = 0; i < kDoctype.size(); ++i) {
        const char c = at + i < text.size() ? text[at + i] : '\0';
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kDoctype[i]) {
            return false;
        }
    }
    return true;
}

inline std::string referenceCleanFeedText(std::string_view text) {
    std::string out;
    bool subsetsPossible = true;
    std::size_t at = 0;
    while (at < text.size()) {
        if (startsDoctypeIgnoringCase(text, at)) {
            const std::size_t stop = runStop(text, at + 9);
            std::size_t end = closesRun(text, stop) ? stop + 1 : 0;
            // A "[" before the stop opens an internal subset, and the declaration goes
            // whole up to its "]>"; once one does not close, no later one is tried.
            const std::size_t open = text.substr(0, stop).find('[', at + 9);
            if (subsetsPossible && open != std::string_view::npos) {
                const std::size_t subset = subsetEnd(text, open + 1);
                subsetsPossible = subset != 0;
                end = subsetsPossible ? subset : end;
            }
            if (end != 0) {
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

inline char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// `name` in any letter case at `at`, then a character that ends a tag name.
inline bool hasTagName(std::string_view text, std::size_t at, std::string_view name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (at + i >= text.size() || lowerAscii(text[at + i]) != name[i]) {
            return false;
        }
    }
    const std::size_t end = at + name.size();
    return end < text.size() &&
           std::string_view(" \t\n\f\r/>").find(text[end]) != std::string_view::npos;
}

// One past a comment, script or style element opening at `at`, or 0: a comment ends at
// the first "-->" from its "--" on, an element at the ">" after its end tag's name; either
// runs to the end of the text when it does not end.
inline std::size_t hiddenElementEnd(std::string_view text, std::size_t at) {
    if (text.substr(at).starts_with("<!--")) {
        const std::size_t close = text.find("-->", at + 2);
        return close == std::string_view::npos ? text.size() : close + 3;
    }
    for (const std::string_view name : {"script", "style"}) {
        if (hasTagName(text, at + 1, name)) {
            for (std::size_t end = at + 1 + name.size(); end < text.size(); ++end) {
                if (text.substr(end).starts_with("</") && hasTagName(text, end + 2, name)) {
                    const std::size_t close = text.find('>', end + 2);
                    return close == std::string_view::npos ? text.size() : close + 1;
                }
            }
            return text.size();
        }
    }
    return 0;
}

inline bool endsLineInBrowser(std::string_view text, std::size_t at) {
    const std::size_t name = at + (text.substr(at).starts_with("</") ? 2 : 1);
    for (const std::string_view element :
         {"br", "p", "div", "li", "tr", "h1", "h2", "h3", "h4", "h5", "h6", "blockquote", "pre",
          "hr", "ul", "ol", "table"}) {
        if (hasTagName(text, name, element)) {
            return true;
        }
    }
    return false;
}

inline std::string referenceStripHtml(std::string_view text) {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == '<') {
            if (const std::size_t end = hiddenElementEnd(text, at)) {
                at = end;
                continue;
            }
            const std::size_t stop = runStop(text, at + 1);
            if (closesRun(text, stop)) {
                out += endsLineInBrowser(text, at) ? "\n" : "";
                at = stop + 1;
                continue;
            }
        }
        out += text[at++];
    }
    return out;
}

}  // namespace lumeward::fuzz
