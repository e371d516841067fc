#pragma once

#include <filesystem>

namespace lumeward::workflows {

// True when the path's last-modification time can be read (a file or a
// folder); false on any failure. Never throws.
bool FileExists(const std::filesystem::path& path) noexcept;

}  // namespace lumeward::workflows
