#include "workflows/FileExists.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace lumeward::workflows {

bool FileExists(const std::filesystem::path& path) noexcept {
    std::error_code error;
    static_cast<void>(std::filesystem::last_write_time(path, error));
    return !error;
}

int folderCreateError(const std::filesystem::path& folder) noexcept {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) {
        return errno;
    }
    if (!S_ISDIR(status.st_mode)) {
        return ENOTDIR;
    }
    return ::access(folder.c_str(), W_OK | X_OK) != 0 ? errno : 0;
}

}  // namespace lumeward::workflows
