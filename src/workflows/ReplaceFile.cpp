#include "workflows/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

#include "workflows/FileDescriptor.h"

namespace lumeward::workflows {

namespace {

// As many links as the kernel follows before it gives up with ELOOP.
constexpr int kMostLinks = 40;
constexpr int kNameAttempts = 100;

// A failure of the write, carried as its errno value.
struct WriteError {
    int error;
};

[[noreturn]] void fail(int error = errno) {
    throw WriteError{error};
}

// Where the path leads through symbolic links: the file to replace, which
// need not exist yet. A relative link is taken from its own folder.
std::filesystem::path followLinks(std::filesystem::path path) {
    for (int hops = 0;; ++hops) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return path;
        }
        if (hops == kMostLinks) {
            fail(ELOOP);
        }
        std::error_code error;
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error) {
            fail(error.value());
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
}

// The folder a file is in, "." for a bare name.
std::filesystem::path folderOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

// Creates a new file with a short random name in the folder: a name of its
// own beside a file whose name is near the 255-byte limit would not fit.
std::pair<FileDescriptor, std::filesystem::path> createTemporary(
    const std::filesystem::path& folder, mode_t mode) {
    constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = ".lumeward-";
        for (int i = 0; i < 8; ++i) {
            name += kLetters[pick(random)];
        }
        std::filesystem::path path = folder / name;
        FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (file.get() >= 0) {
            return {std::move(file), std::move(path)};
        }
        if (errno != EEXIST) {
            fail();
        }
    }
    fail(EEXIST);
}

void writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t count = ::write(fd, content.data(), content.size());
        if (count < 0 && errno != EINTR) {
            fail();
        }
        content.remove_prefix(static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
    }
}

// The old file's owner, group and mode for the new one. Only root may give a
// file away, and a user only to a group of their own, so each is tried and
// what cannot be kept is left as it is.
void keepOwnerAndMode(int fd, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    // After the owner: a change of owner clears the set-user-ID bit.
    if (::fchmod(fd, old.st_mode & 07777) != 0) {
        fail();
    }
}

void syncFolder(const std::filesystem::path& folder) {
    const FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // Some file systems cannot sync a folder (EINVAL); the rename is all they offer.
    if (directory.get() < 0 || (::fsync(directory.get()) != 0 && errno != EINVAL)) {
        fail();
    }
}

}  // namespace

void replaceFile(const std::filesystem::path& path, std::string_view content, FileAccess access) {
    std::filesystem::path temporary;
    try {
        const std::filesystem::path target = followLinks(path);
        const std::filesystem::path folder = folderOf(target);
        struct stat old {};
        const bool replacing = ::stat(target.c_str(), &old) == 0;
        auto [file, name] = createTemporary(folder, access == FileAccess::OwnerOnly ? 0600 : 0666);
        temporary = std::move(name);
        writeAll(file.get(), content);
        if (access == FileAccess::OwnerOnly) {
            // Exactly 0600: an odd umask could take the owner's own rights away.
            if (::fchmod(file.get(), 0600) != 0) {
                fail();
            }
        } else if (replacing) {
            keepOwnerAndMode(file.get(), old);
        }
        if (::fsync(file.get()) != 0 || !file.close() ||
            ::rename(temporary.c_str(), target.c_str()) != 0) {
            fail();
        }
        temporary.clear();
        syncFolder(folder);
    } catch (const WriteError& failure) {
        if (!temporary.empty()) {
            ::unlink(temporary.c_str());
        }
        throw std::runtime_error("Cannot write " + path.string() + ": " +
                                 std::generic_category().message(failure.error));
    }
}

}  // namespace lumeward::workflows
