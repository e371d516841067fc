#pragma once

#include <filesystem>

namespace lumeward::memory {

// $XDG_CACHE_HOME/lumeward/cache.sqlite, else ~/.cache/lumeward/cache.sqlite:
// kept responses and server holds (ResponseCache).
std::filesystem::path defaultCacheFile();
// $XDG_DATA_HOME/lumeward/memory.sqlite, else ~/.local/share/lumeward/memory.sqlite:
// saved items and the address list (UserStore).
std::filesystem::path defaultUserFile();

}  // namespace lumeward::memory
