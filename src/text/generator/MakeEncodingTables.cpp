// Compiles the WHATWG Encoding Standard's data (data/whatwg/) into the tables that
// text/EncodingTables.h declares. Usage: MakeEncodingTables DATA_FOLDER OUTPUT_FILE
// Anything unexpected in the data stops the build instead of compiling a wrong table.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Index = std::map<std::uint32_t, char32_t>;  // pointer to code point

// The indexes of the multi-byte encodings; every other index file is a single-byte one.
struct MultiByteIndex {
    std::string name;  // of the file: index-<name>.txt
    std::string type;
    std::string variable;
    char32_t largestCodePoint;
};
const std::vector<MultiByteIndex> kMultiByteIndexes = {{"gb18030", "char16_t", "kGb18030", 0xFFFF},
                                                       {"big5", "char32_t", "kBig5", 0x10FFFF},
                                                       {"jis0208", "char16_t", "kJis0208", 0xFFFF},
                                                       {"jis0212", "char16_t", "kJis0212", 0xFFFF},
                                                       {"euc-kr", "char16_t", "kEucKr", 0xFFFF}};
const std::string kRangesIndex = "gb18030-ranges";

bool isMultiByteIndex(const std::string& name) {
    return name == kRangesIndex ||
           std::any_of(kMultiByteIndexes.begin(), kMultiByteIndexes.end(),
                       [&name](const MultiByteIndex& index) { return index.name == name; });
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return {std::istreambuf_iterator<char>(in), {}};
}

// Lines of "pointer <tab> 0xCODE <tab> the character and its name"; "#" starts a comment.
Index readIndex(const fs::path& path) {
    std::istringstream lines(readFile(path));
    Index index;
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line.front() == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::uint32_t pointer = 0;
        std::string codePoint;
        if (!(fields >> pointer >> codePoint) || !codePoint.starts_with("0x") ||
            !index.emplace(pointer, std::stoul(codePoint.substr(2), nullptr, 16)).second) {
            throw std::runtime_error(path.string() + ": unexpected line: " + line);
        }
    }
    if (index.empty()) {
        throw std::runtime_error(path.string() + " holds no pointer");
    }
    return index;
}

// The quoted strings of encodings.json in order: each "labels" list comes before the
// "name" of its encoding. Returns (label, encoding name), sorted by label.
std::vector<std::pair<std::string, std::string>> readLabels(const fs::path& path) {
    const std::string json = readFile(path);
    std::vector<std::string> strings;
    for (std::size_t open = json.find('"'); open != std::string::npos;) {
        const std::size_t close = json.find('"', open + 1);
        strings.push_back(json.substr(open + 1, close - open - 1));
        open = json.find('"', close + 1);
    }
    std::vector<std::pair<std::string, std::string>> labels;
    std::vector<std::string> pending;
    bool inLabels = false;
    for (std::size_t i = 0; i < strings.size(); ++i) {
        if (strings[i] == "labels") {
            inLabels = true;
        } else if (strings[i] == "name" && inLabels && i + 1 < strings.size()) {
            for (const std::string& label : pending) {
                labels.emplace_back(label, strings[i + 1]);
            }
            pending.clear();
            inLabels = false;
            ++i;
        } else if (inLabels) {
            pending.push_back(strings[i]);
        }
    }
    std::sort(labels.begin(), labels.end());
    const auto sameLabel = [](const auto& a, const auto& b) { return a.first == b.first; };
    if (labels.empty() || !pending.empty() ||
        std::adjacent_find(labels.begin(), labels.end(), sameLabel) != labels.end()) {
        throw std::runtime_error(path.string() + ": labels not as expected");
    }
    return labels;
}

std::string hex(char32_t value) {
    std::ostringstream out;
    out << "0x" << std::hex << std::uppercase << static_cast<std::uint32_t>(value);
    return out.str();
}

// Code points from pointer 0 to `size` - 1, 0 where the index has none; 12 to a line.
void writeCodePoints(std::ostream& out, const Index& index, std::uint32_t size, char32_t limit) {
    for (std::uint32_t pointer = 0; pointer < size; ++pointer) {
        const auto found = index.find(pointer);
        const char32_t codePoint = found == index.end() ? 0 : found->second;
        if (codePoint > limit) {
            throw std::runtime_error("code point " + hex(codePoint) + " does not fit its table");
        }
        out << (pointer % 12 == 0 ? "\n    " : " ") << hex(codePoint) << ',';
    }
    out << '\n';
}

void writeTables(const fs::path& folder, std::ostream& out) {
    out << "// Generated from data/whatwg/ by MakeEncodingTables; do not edit.\n"
           "// WHATWG Encoding Standard data, copyright WHATWG (Apple, Google, Mozilla,\n"
           "// Microsoft), CC BY 4.0; where incorporated into source code, BSD 3-Clause.\n"
           "#include \"text/EncodingTables.h\"\n\n"
           "namespace lumeward::text::tables {\n\nnamespace {\n\n"
           "constexpr EncodingLabel kLabelData[] = {\n";
    for (const auto& [label, encoding] : readLabels(folder / "encodings.json")) {
        out << "    {\"" << label << "\", \"" << encoding << "\"},\n";
    }
    out << "};\n\nconstexpr SingleByteIndex kSingleByteData[] = {\n";
    std::set<std::string> singleByteNames;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string file = entry.path().filename().string();
        if (file.starts_with("index-") && file.ends_with(".txt")) {
            const std::string name = file.substr(6, file.size() - 10);
            if (!isMultiByteIndex(name)) {
                singleByteNames.insert(name);
            }
        }
    }
    for (const std::string& name : singleByteNames) {
        const Index index = readIndex(folder / ("index-" + name + ".txt"));
        if (index.rbegin()->first >= 128) {
            throw std::runtime_error("index-" + name + ".txt is not a single-byte index");
        }
        out << "    {\"" << name << "\", {";
        writeCodePoints(out, index, 128, 0xFFFF);
        out << "    }},\n";
    }
    out << "};\n\nconstexpr Gb18030Range kGb18030RangeData[] = {\n";
    for (const auto& [pointer, codePoint] :
         readIndex(folder / ("index-" + kRangesIndex + ".txt"))) {
        out << "    {" << pointer << ", " << hex(codePoint) << "},\n";
    }
    out << "};\n";
    for (const MultiByteIndex& multiByte : kMultiByteIndexes) {
        const Index index = readIndex(folder / ("index-" + multiByte.name + ".txt"));
        out << "\nconstexpr " << multiByte.type << ' ' << multiByte.variable << "Data[] = {";
        writeCodePoints(out, index, index.rbegin()->first + 1, multiByte.largestCodePoint);
        out << "};\n";
    }
    out << "\n}  // namespace\n\n"
           "constinit const std::span<const EncodingLabel> kEncodingLabels = kLabelData;\n"
           "constinit const std::span<const SingleByteIndex> kSingleByteIndexes = "
           "kSingleByteData;\n"
           "constinit const std::span<const Gb18030Range> kGb18030Ranges = "
           "kGb18030RangeData;\n";
    for (const MultiByteIndex& multiByte : kMultiByteIndexes) {
        out << "constinit const std::span<const " << multiByte.type << "> " << multiByte.variable
            << "Index = " << multiByte.variable << "Data;\n";
    }
    out << "\n}  // namespace lumeward::text::tables\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: MakeEncodingTables DATA_FOLDER OUTPUT_FILE\n";
        return 2;
    }
    try {
        std::ostringstream tables;
        writeTables(argv[1], tables);
        std::ofstream out(argv[2], std::ios::binary);
        out << tables.str();
        if (!out.flush()) {
            throw std::runtime_error(std::string("cannot write ") + argv[2]);
        }
    } catch (const std::exception& failure) {
        std::cerr << "MakeEncodingTables: " << failure.what() << '\n';
        return 1;
    }
    return 0;
}
