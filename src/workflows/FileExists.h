#pragma once

#include <filesystem>

namespace lumeward::workflows {

// True when the path's last-modification time can be read (a file or a
// folder); false on any failure. Never throws.
bool FileExists(const std::filesystem::path& path) noexcept;

// Why no file can be created in the folder, as an errno value (ENOTDIR for a
// path that is no folder); 0 when this user may create files in it.
int folderCreateError(const std::filesystem::path& folder) noexcept;

}  // namespace lumeward::workflows
