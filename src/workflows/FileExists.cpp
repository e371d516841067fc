#include "workflows/FileExists.h"

#include <system_error>

namespace lumeward::workflows {

bool FileExists(const std::filesystem::path& path) noexcept {
    std::error_code error;
    static_cast<void>(std::filesystem::last_write_time(path, error));
    return !error;
}

}  // namespace lumeward::workflows
