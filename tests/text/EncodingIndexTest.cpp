// The WHATWG data files of data/whatwg/, read here on their own, against the decoders
// built from the tables the build compiled from the same files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "text/TextDecoding.h"
#include "text/Utf8.h"

namespace {

using lumeward::text::appendUtf8;
using lumeward::text::decodeResponseBody;

const std::filesystem::path kData = LUMEWARD_WHATWG_DATA_DIR;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

using Index = std::map<std::uint32_t, char32_t>;  // pointer to code point

Index readIndex(const std::string& name) {
    std::istringstream lines(readFile(kData / ("index-" + name + ".txt")));
    Index index;
    std::string line;
    while (std::getline(lines, line)) {
        std::uint32_t pointer = 0;
        std::string codePoint;
        if (!line.starts_with('#') && std::istringstream(line) >> pointer >> codePoint) {
            index[pointer] = static_cast<char32_t>(std::stoul(codePoint, nullptr, 16));
        }
    }
    return index;
}

std::string decoded(const std::string& bytes, const std::string& label) {
    return decodeResponseBody(std::string(bytes), "text/xml; charset=\"" + label + "\"");
}

std::string utf8(char32_t codePoint) {
    std::string text;
    appendUtf8(text, codePoint);
    return text;
}

std::string bytes(std::initializer_list<std::uint32_t> values) {
    std::string text;
    for (const std::uint32_t value : values) {
        text.push_back(static_cast<char>(value));
    }
    return text;
}

TEST(EncodingIndex, EverySingleByteIndexGivesEachHighByteItsCodePoint) {
    std::vector<std::pair<std::string, std::string>> encodings = {{"iso-8859-8-i", "iso-8859-8"}};
    for (const auto& entry : std::filesystem::directory_iterator(kData)) {
        const std::string stem = entry.path().stem().string();
        const auto index = stem.starts_with("index-") ? readIndex(stem.substr(6)) : Index();
        if (!index.empty() && index.rbegin()->first < 128) {
            const std::string name = stem.substr(6);
            encodings.emplace_back(name, name);
        }
    }
    ASSERT_EQ(encodings.size(), 28u);
    for (const auto& [label, indexName] : encodings) {
        const auto index = readIndex(indexName);
        for (std::uint32_t byte = 0x80; byte <= 0xFF; ++byte) {
            const auto found = index.find(byte - 0x80);
            ASSERT_EQ(decoded(bytes({byte}), label),
                      utf8(found == index.end() ? 0xFFFD : found->second))
                << label << " byte " << byte;
        }
    }
}

std::string gb18030Pair(std::uint32_t pointer) {
    const std::uint32_t trail = pointer % 190;
    return bytes({pointer / 190 + 0x81, trail + (trail < 0x3F ? 0x40 : 0x41)});
}

TEST(EncodingIndex, EveryMultiByteIndexPointerDecodesFromItsBytes) {
    // The byte sequence of each pointer, as the encoding's decoder reads it back.
    const struct {
        const char* label;
        const char* index;
        std::string (*bytesFor)(std::uint32_t pointer);  // empty when the encoding cannot
    } walks[] = {
        {"gbk", "gb18030", gb18030Pair},
        {"gb18030", "gb18030", gb18030Pair},
        {"gb18030", "gb18030-ranges",
         [](std::uint32_t p) {
             return bytes(
                 {p / 12600 + 0x81, p / 1260 % 10 + 0x30, p / 10 % 126 + 0x81, p % 10 + 0x30});
         }},
        {"big5", "big5",
         [](std::uint32_t p) {
             return bytes({p / 157 + 0x81, p % 157 + (p % 157 < 0x3F ? 0x40 : 0x62)});
         }},
        {"euc-kr", "euc-kr",
         [](std::uint32_t p) {
             return bytes({p / 190 + 0x81, p % 190 + 0x41});
         }},
        {"shift_jis", "jis0208",
         [](std::uint32_t p) {
             const std::uint32_t row = p / 188;
             return bytes(
                 {row + (row < 0x1F ? 0x81 : 0xC1), p % 188 + (p % 188 < 0x3F ? 0x40 : 0x41)});
         }},
        {"euc-jp", "jis0208",
         [](std::uint32_t p) {
             return p < 94 * 94 ? bytes({p / 94 + 0xA1, p % 94 + 0xA1}) : "";
         }},
        {"euc-jp", "jis0212",
         [](std::uint32_t p) {
             return p < 94 * 94 ? bytes({0x8F, p / 94 + 0xA1, p % 94 + 0xA1}) : "";
         }},
        {"iso-2022-jp", "jis0208",
         [](std::uint32_t p) {
             return p < 94 * 94 ? bytes({0x1B, '$', 'B', p / 94 + 0x21, p % 94 + 0x21}) : "";
         }},
    };
    for (const auto& walk : walks) {
        std::size_t count = 0;
        for (const auto& [pointer, codePoint] : readIndex(walk.index)) {
            const std::string sequence = walk.bytesFor(pointer);
            if (!sequence.empty()) {
                ++count;
                ASSERT_EQ(decoded(sequence, walk.label), utf8(codePoint))
                    << walk.label << " pointer " << pointer;
            }
        }
        EXPECT_GT(count, 200u) << walk.label << " " << walk.index;
    }
}

// Each label decodes a probe of every byte value as its encoding's name does.
TEST(EncodingIndex, EveryLabelNamesItsEncodingWhateverItsCaseAndSpaces) {
    const std::string json = readFile(kData / "encodings.json");
    std::vector<std::string> strings;
    for (std::size_t open = json.find('"'); open != std::string::npos;) {
        const std::size_t close = json.find('"', open + 1);
        strings.push_back(json.substr(open + 1, close - open - 1));
        open = json.find('"', close + 1);
    }
    std::string probe;
    for (int byte = 0; byte < 256; ++byte) {
        probe.push_back(static_cast<char>(byte));
    }
    std::vector<std::string> labels;  // of the encoding whose name comes next
    bool inLabels = false;
    std::size_t checked = 0;
    for (std::size_t i = 0; i + 1 < strings.size(); ++i) {
        if (strings[i] == "labels") {
            labels.clear();
            inLabels = true;
        } else if (strings[i] == "name") {
            const std::string expected = decoded(probe, strings[i + 1]);
            for (std::string label : labels) {
                std::transform(label.begin(), label.end(), label.begin(),
                               [](unsigned char c) { return std::toupper(c); });
                EXPECT_EQ(decoded(probe, " " + label + "\f"), expected) << label;
                ++checked;
            }
            inLabels = false;
        } else if (inLabels) {
            labels.push_back(strings[i]);
        }
    }
    EXPECT_EQ(checked, 228u);
}

}  // namespace
