#include "workflows/AddressFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace lumeward::workflows {

namespace {

// Closes the descriptor on every way out of readAddressFile.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }

private:
    int m_fd;
};

[[noreturn]] void throwReadError(const std::filesystem::path& path, int error) {
    throw std::runtime_error("Cannot read " + path.string() + ": " +
                             std::generic_category().message(error));
}

}  // namespace

std::vector<std::string> splitAddressLines(std::string_view content) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    // True right after a CR or CR LF: the end of the content then adds no empty line.
    bool atLineStart = true;
    for (std::size_t i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c != '\r' && c != '\n') {
            atLineStart = false;
            continue;
        }
        pieces.emplace_back(content.substr(start, i - start));
        if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
        atLineStart = c == '\r';
    }
    if (!atLineStart) {
        pieces.emplace_back(content.substr(start));
    }
    return pieces;
}

std::vector<std::string> readAddressFile(const std::filesystem::path& path) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        throwReadError(path, errno);
    }
    std::string content;
    struct stat status {};
    if (::fstat(file.get(), &status) == 0 && status.st_size > 0) {
        content.reserve(static_cast<std::size_t>(status.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count > 0) {
            content.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0) {
            break;
        } else if (errno != EINTR) {
            throwReadError(path, errno);
        }
    }
    return splitAddressLines(content);
}

}  // namespace lumeward::workflows
