#include "workflows/FileDescriptor.h"

#include <unistd.h>

#include <utility>

namespace lumeward::workflows {

FileDescriptor::~FileDescriptor() {
    close();
}

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)) {}

bool FileDescriptor::close() {
    if (m_fd < 0) {
        return true;
    }
    // The descriptor is gone whatever close says, so it is never closed twice.
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
}

}  // namespace lumeward::workflows
