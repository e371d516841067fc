// Compiles the HTML Standard's named character references (data/html/entities.json)
// into the table that text/HtmlEntityTable.h declares.
// Usage: MakeEntityTable ENTITIES_JSON OUTPUT_FILE
// The file is one JSON object of entries "&name;": {"codepoints": [...], "characters": ...};
// anything else in it stops the build instead of compiling a wrong table.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "text/HtmlEntityTable.h"

namespace {

constexpr std::size_t kExpectedNames = 2231;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return {std::istreambuf_iterator<char>(in), {}};
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool isValidName(const std::string& name) {
    const std::size_t letters = name.ends_with(';') ? name.size() - 1 : name.size();
    return letters > 0 &&
           std::all_of(name.begin(), name.begin() + static_cast<long>(letters),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// Where the JSON string that opens at `at` (a quote) ends, one past its closing quote.
std::size_t skipString(const std::string& json, std::size_t at) {
    for (std::size_t pos = at + 1; pos < json.size(); ++pos) {
        if (json[pos] == '\\') {
            ++pos;
        } else if (json[pos] == '"') {
            return pos + 1;
        }
    }
    return std::string::npos;
}

// Name (without "&") to its characters in UTF-8, read from the code point lists; the
// "characters" strings say the same again and are skipped.
std::map<std::string, std::string> readEntities(const std::string& path) {
    const std::string json = readFile(path);
    std::map<std::string, std::string> entities;
    std::size_t at = json.find('{');
    const auto expect = [&](const std::string& text) {
        if (at == std::string::npos || json.compare(at, text.size(), text) != 0) {
            throw std::runtime_error(path + ": unexpected text at byte " + std::to_string(at));
        }
        at += text.size();
    };
    expect("{");
    while (at < json.size() && json[at] != '}') {
        expect(entities.empty() ? "\"&" : ",\"&");
        const std::size_t nameEnd = json.find('"', at);
        const std::string name = json.substr(at, nameEnd - at);
        at = nameEnd;
        expect("\":{\"codepoints\":[");
        const std::size_t listEnd = json.find(']', at);
        std::istringstream list(json.substr(at, listEnd - at));
        at = listEnd;
        expect("],\"characters\":");
        at = json[at] == '"' ? skipString(json, at) : std::string::npos;
        expect("}");
        std::string characters;
        for (std::string number; std::getline(list, number, ',');) {
            const unsigned long code = std::stoul(number);
            if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
                throw std::runtime_error(path + ": code point out of range for &" + name);
            }
            appendUtf8(characters, static_cast<std::uint32_t>(code));
        }
        if (!isValidName(name) || characters.empty() ||
            !entities.emplace(name, characters).second) {
            throw std::runtime_error(path + ": bad, empty or repeated entry &" + name);
        }
        if (!name.ends_with(';') &&
            name.size() > lumeward::text::tables::kLongestNameWithoutSemicolon) {
            throw std::runtime_error(path + ": &" + name + " is longer than the decoder expects");
        }
    }
    expect("}");
    if (entities.size() != kExpectedNames) {
        throw std::runtime_error(path + ": " + std::to_string(entities.size()) +
                                 " names instead of " + std::to_string(kExpectedNames));
    }
    return entities;
}

// A C++ string literal that holds the bytes exactly.
std::string literal(const std::string& bytes) {
    std::ostringstream out;
    out << '"';
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\' && c != '?') {
            out << c;
        } else {
            // Octal escapes take at most three digits, so no following character joins them.
            out << '\\' << static_cast<char>('0' + (byte >> 6))
                << static_cast<char>('0' + ((byte >> 3) & 7))
                << static_cast<char>('0' + (byte & 7));
        }
    }
    out << '"';
    return out.str();
}

void writeTable(const std::string& path, std::ostream& out) {
    out << "// Generated from data/html/entities.json by MakeEntityTable; do not edit.\n"
           "// WHATWG HTML Standard data, copyright WHATWG (Apple, Google, Mozilla,\n"
           "// Microsoft), CC BY 4.0; where incorporated into source code, BSD 3-Clause.\n"
           "#include \"text/HtmlEntityTable.h\"\n\n"
           "namespace lumeward::text::tables {\n\nnamespace {\n\n"
           "constexpr NamedReference kData[] = {\n";
    // std::map orders the names byte by byte, as the decoder's search compares them.
    for (const auto& [name, characters] : readEntities(path)) {
        out << "    {" << literal(name) << ", " << literal(characters) << "},\n";
    }
    out << "};\n\n}  // namespace\n\n"
           "constinit const std::span<const NamedReference> kNamedReferences = kData;\n\n"
           "}  // namespace lumeward::text::tables\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: MakeEntityTable ENTITIES_JSON OUTPUT_FILE\n";
        return 2;
    }
    try {
        std::ostringstream table;
        writeTable(argv[1], table);
        std::ofstream out(argv[2], std::ios::binary);
        out << table.str();
        if (!out.flush()) {
            throw std::runtime_error(std::string("cannot write ") + argv[2]);
        }
    } catch (const std::exception& failure) {
        std::cerr << "MakeEntityTable: " << failure.what() << '\n';
        return 1;
    }
    return 0;
}
