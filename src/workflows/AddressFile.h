#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumeward::workflows {

// Splits the text of an address file into addresses. A line ends at CR LF or at
// a lone CR; a bare LF inside a line splits it further, and the piece after the
// last LF counts even when empty. Nothing is trimmed.
std::vector<std::string> splitAddressLines(std::string_view content);

// Reads a whole address file and splits it. Throws std::runtime_error naming
// the file and the system's reason when it cannot be read.
std::vector<std::string> readAddressFile(const std::filesystem::path& path);

}  // namespace lumeward::workflows
