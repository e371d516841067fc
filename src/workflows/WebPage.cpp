#include "workflows/WebPage.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "text/Utf8.h"
#include "workflows/Export.h"

namespace lumeward::workflows {

namespace {

constexpr std::string_view kAsciiSpace = " \t\n\f\r";

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kAsciiSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kAsciiSpace) + 1 - first);
}

char32_t codePointOf(std::string_view sequence) {
    const auto lead = static_cast<unsigned char>(sequence[0]);
    char32_t code = sequence.size() == 2   ? lead & 0x1F
                    : sequence.size() == 3 ? lead & 0x0F
                                           : lead & 0x07;
    for (const char c : sequence.substr(1)) {
        code = (code << 6) | (static_cast<unsigned char>(c) & 0x3F);
    }
    return code;
}

// What an HTML document may not hold as text: controls but white space, and noncharacters.
bool isForbiddenInPage(char32_t code) {
    const bool control =
        (code < 0x20 && kAsciiSpace.find(static_cast<char>(code)) == std::string_view::npos) ||
        (code >= 0x7F && code <= 0x9F);
    const bool nonCharacter = (code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE;
    return control || nonCharacter;
}

// Text as the browser must show it, in element content or a quoted attribute value.
void appendText(std::string& out, std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (static_cast<unsigned char>(c) >= 0x80) {
            const text::Utf8Sequence sequence = text::readUtf8Sequence(text.substr(at));
            const std::string_view bytes = text.substr(at, sequence.length);
            const bool shown = sequence.valid && !isForbiddenInPage(codePointOf(bytes));
            out += shown ? bytes : text::kReplacementCharacter;
            at += sequence.length;
            continue;
        }
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                if (isForbiddenInPage(static_cast<unsigned char>(c))) {
                    out += text::kReplacementCharacter;
                } else {
                    out += c;
                }
        }
        ++at;
    }
}

bool isAsciiAlphanumeric(char c) {
    return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

// A host name or address as a URL may hold it, with an optional port.
bool isValidHost(std::string_view authority) {
    std::string_view host = authority;
    if (host.starts_with('[')) {
        const std::size_t close = host.find(']');
        const bool address =
            close != std::string_view::npos &&
            std::all_of(host.begin() + 1, host.begin() + static_cast<long>(close),
                        [](char c) { return isHexDigit(c) || c == ':' || c == '.'; });
        if (!address) {
            return false;
        }
        host = host.substr(close + 1);
    } else {
        const std::size_t end = std::min(host.find(':'), host.size());
        const std::string_view name = host.substr(0, end);
        if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) {
                return isAsciiAlphanumeric(c) || c == '-' || c == '.' || c == '_' ||
                       static_cast<unsigned char>(c) >= 0x80;
            })) {
            return false;
        }
        host = host.substr(end);
    }
    return host.empty() ||
           (host.front() == ':' &&
            std::all_of(host.begin() + 1, host.end(), [](char c) { return c >= '0' && c <= '9'; }));
}

// Characters a URL holds as they are; "%" only before two hex digits, "#" only once.
bool isUrlCharacter(char c) {
    return isAsciiAlphanumeric(c) || static_cast<unsigned char>(c) >= 0x80 ||
           std::string_view("!$&'()*+,-./:;=?@_~").find(c) != std::string_view::npos;
}

// The link's target: an http or https address with a valid host, without credentials,
// with what a URL may not hold percent-encoded. None for anything else.
std::optional<std::string> linkTarget(std::string_view link) {
    const std::string address = withoutCredentials(trimmed(link));
    const std::size_t schemeEnd = address.find("://");
    std::string scheme = address.substr(0, schemeEnd);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](char c) { return static_cast<char>(c | 0x20); });
    if (schemeEnd == std::string::npos || (scheme != "http" && scheme != "https")) {
        return std::nullopt;
    }
    const std::size_t hostStart = schemeEnd + 3;
    const std::size_t hostEnd = std::min(address.find_first_of("/?#", hostStart), address.size());
    if (!isValidHost(std::string_view(address).substr(hostStart, hostEnd - hostStart))) {
        return std::nullopt;
    }
    std::string target = address.substr(0, hostEnd);
    bool inFragment = false;
    for (std::size_t at = hostEnd; at < address.size(); ++at) {
        const char c = address[at];
        const bool escapedAlready = c == '%' && at + 2 < address.size() &&
                                    isHexDigit(address[at + 1]) && isHexDigit(address[at + 2]);
        const bool fragmentStart = c == '#' && !inFragment;
        inFragment = inFragment || fragmentStart;
        if (isUrlCharacter(c) || escapedAlready || fragmentStart) {
            target += c;
        } else {
            constexpr std::string_view kHex = "0123456789ABCDEF";
            const auto byte = static_cast<unsigned char>(c);
            target += '%';
            target += kHex[byte >> 4];
            target += kHex[byte & 0x0F];
        }
    }
    return target;
}

// The paragraphs of a text: runs of lines without a blank one, each line trimmed.
std::vector<std::vector<std::string_view>> paragraphsOf(std::string_view text) {
    std::vector<std::vector<std::string_view>> paragraphs(1);
    while (!text.empty()) {
        const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
        const std::string_view line = trimmed(text.substr(0, end));
        if (!line.empty()) {
            paragraphs.back().push_back(line);
        } else if (!paragraphs.back().empty()) {
            paragraphs.emplace_back();
        }
        const bool crlf = text.substr(end).starts_with("\r\n");
        text.remove_prefix(std::min(text.size(), end + (crlf ? 2 : 1)));
    }
    if (paragraphs.back().empty()) {
        paragraphs.pop_back();
    }
    return paragraphs;
}

// "2026-12-07 10:00 UTC", in a time element that gives the instant exactly.
void appendDate(std::string& out, feed::ItemDate date) {
    const std::string exact = feed::formatUtcDate(date);
    out += "<p><time datetime=\"" + exact + "\">" + exact.substr(0, 10) + ' ' +
           exact.substr(11, 5) + " UTC</time></p>\n";
}

}  // namespace

std::string webPageOf(const ResultRow& row) {
    // A page must have a title: the link, else the feed, stands in for a missing one.
    std::string_view title = trimmed(row.title);
    for (const std::string_view standIn : {std::string_view(row.url), std::string_view(row.feed)}) {
        title = title.empty() ? trimmed(standIn) : title;
    }
    title = title.empty() ? "Untitled" : title;
    std::string page;
    page.reserve(256 + 2 * title.size() + row.description.size() + 2 * row.url.size());
    page += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    appendText(page, title);
    page += "</title>\n</head>\n<body>\n<h1>";
    appendText(page, title);
    page += "</h1>\n";
    if (row.date) {
        appendDate(page, *row.date);
    }
    for (const auto& lines : paragraphsOf(row.description)) {
        page += "<p>";
        for (const std::string_view& line : lines) {
            page += &line == &lines.front() ? "" : "<br>\n";
            appendText(page, line);
        }
        page += "</p>\n";
    }
    if (const auto target = linkTarget(row.url)) {
        page += "<p><a href=\"";
        appendText(page, *target);
        page += "\">";
        appendText(page, withoutCredentials(trimmed(row.url)));
        page += "</a></p>\n";
    } else if (!trimmed(row.url).empty()) {
        page += "<p>";
        appendText(page, trimmed(row.url));
        page += "</p>\n";
    }
    page += "</body>\n</html>\n";
    return page;
}

}  // namespace lumeward::workflows
