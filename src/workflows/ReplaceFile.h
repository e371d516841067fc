#pragma once

#include <filesystem>
#include <string_view>

namespace lumeward::workflows {

// Who may read a file that replaceFile writes.
enum class FileAccess {
    // A new file gets 0666 less the umask, as any program's new file does; a
    // file written over keeps its mode, and its owner and group where this
    // process may set them.
    AsTheUserChose,
    // 0600 whatever the umask or the old file's mode: a file the program keeps
    // for itself, which may hold addresses with passwords in them.
    OwnerOnly,
};

// Writes content to path in one step. A symbolic link is followed, so the file
// it leads to is replaced and the link stays. The content goes into a new file
// with a short name beside that file, is synced, renamed over it, and the
// folder is synced, so that a crash or power cut leaves the old content or the
// new, never none. Throws std::runtime_error naming path and the reason; no
// temporary file is left behind then.
void replaceFile(const std::filesystem::path& path, std::string_view content, FileAccess access);

}  // namespace lumeward::workflows
