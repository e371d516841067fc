#include "memory/StorePaths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace lumeward::memory {

namespace {

std::filesystem::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    // Not set, as under some service managers: the password database knows.
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        return found->pw_dir;
    }
    return {};
}

// The folder an XDG variable names; a relative or empty value counts as unset.
std::filesystem::path xdgFolder(const char* variable, const char* underHome) {
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') {
        return value;
    }
    return homeFolder() / underHome;
}

}  // namespace

std::filesystem::path defaultCacheFile() {
    return xdgFolder("XDG_CACHE_HOME", ".cache") / "lumeward" / "cache.sqlite";
}

std::filesystem::path defaultUserFile() {
    return xdgFolder("XDG_DATA_HOME", ".local/share") / "lumeward" / "memory.sqlite";
}

}  // namespace lumeward::memory
