#pragma once

namespace lumeward::workflows {

// Owns an open file descriptor and closes it on every way out; -1 owns none.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    // Closes now, for a caller that must know whether the close succeeded
    // (written data can fail to reach the disk only then); false with errno set.
    bool close();

private:
    int m_fd;
};

}  // namespace lumeward::workflows
