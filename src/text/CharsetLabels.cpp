#include "text/CharsetLabels.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "text/AsciiText.h"

namespace lumeward::text {

namespace {

// An XML declaration is only looked for when it ends within this many bytes.
constexpr std::size_t kDeclarationWindow = 1024;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char toLowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowerCased(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), toLowerAscii);
    return lower;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// UTF-32LE comes before UTF-16LE, whose mark is a prefix of it.
constexpr std::array<ByteOrderMark, 5> kByteOrderMarks = {{
    {std::string_view("\xEF\xBB\xBF", 3), "utf-8"},
    {std::string_view("\xFF\xFE\0\0", 4), "UTF-32LE"},
    {std::string_view("\0\0\xFE\xFF", 4), "UTF-32BE"},
    {std::string_view("\xFF\xFE", 2), "UTF-16LE"},
    {std::string_view("\xFE\xFF", 2), "UTF-16BE"},
}};

// The value after the closing quote, or up to a ";" or white space when unquoted.
std::string_view parameterValue(std::string_view text) {
    if (!text.empty() && (text.front() == '"' || text.front() == '\'')) {
        const std::size_t close = text.find(text.front(), 1);
        return close == std::string_view::npos ? std::string_view() : text.substr(1, close - 1);
    }
    const std::size_t end = text.find_first_of("; \t");
    return text.substr(0, end);
}

// An ASCII-readable declaration cannot describe a UTF-16 or UTF-32 body; it is the
// familiar mislabel of a UTF-8 document, so such a name is not used.
bool namesWideEncoding(std::string_view label) {
    const std::string name = lowerCased(label);
    constexpr std::array<std::string_view, 8> kWidePrefixes = {"utf-16", "utf16", "utf-32", "utf32",
                                                               "ucs-2",  "ucs2",  "ucs-4",  "ucs4"};
    return std::any_of(kWidePrefixes.begin(), kWidePrefixes.end(),
                       [&name](std::string_view prefix) { return name.starts_with(prefix); });
}

}  // namespace

const ByteOrderMark* findByteOrderMark(std::string_view body) {
    const auto found =
        std::find_if(kByteOrderMarks.begin(), kByteOrderMarks.end(),
                     [body](const ByteOrderMark& mark) { return body.starts_with(mark.bytes); });
    return found == kByteOrderMarks.end() ? nullptr : &*found;
}

std::string_view charsetFromContentType(std::string_view contentType) {
    std::size_t pos = contentType.find(';');
    while (pos != std::string_view::npos) {
        const std::string_view parameter = contentType.substr(pos + 1);
        const std::size_t equals = parameter.find_first_of("=;");
        if (equals == std::string_view::npos) {
            break;
        }
        if (parameter[equals] == '=' &&
            lowerCased(trimmed(parameter.substr(0, equals))) == "charset") {
            return parameterValue(trimmed(parameter.substr(equals + 1)));
        }
        pos = contentType.find(';', pos + 1);
    }
    return {};
}

std::string_view charsetFromXmlDeclaration(std::string_view body) {
    // A declaration written in UTF-16 shows the byte order; what it names adds nothing.
    if (body.starts_with(std::string_view("<\0?\0", 4))) {
        return "UTF-16LE";
    }
    if (body.starts_with(std::string_view("\0<\0?", 4))) {
        return "UTF-16BE";
    }
    if (body.size() < 6 || !body.starts_with("<?xml") || !isSpace(body[5])) {
        return {};
    }
    const std::size_t end = body.substr(0, kDeclarationWindow).find("?>");
    if (end == std::string_view::npos) {
        return {};
    }
    const std::string_view declaration = body.substr(0, end);
    constexpr std::string_view kName = "encoding";
    for (std::size_t pos = declaration.find(kName); pos != std::string_view::npos;
         pos = declaration.find(kName, pos + kName.size())) {
        if (!isSpace(declaration[pos - 1])) {
            continue;
        }
        std::string_view rest = trimmed(declaration.substr(pos + kName.size()));
        if (rest.empty() || rest.front() != '=') {
            continue;
        }
        rest = trimmed(rest.substr(1));
        if (rest.empty() || (rest.front() != '"' && rest.front() != '\'')) {
            return {};
        }
        const std::string_view value = parameterValue(rest);
        return namesWideEncoding(value) ? std::string_view() : value;
    }
    return {};
}

std::string normalisedCharset(std::string_view label) {
    return lowerCased(trimmedAscii(label));
}

}  // namespace lumeward::text
