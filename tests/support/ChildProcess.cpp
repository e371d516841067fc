#include "support/ChildProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "support/TempDir.h"

extern char** environ;

namespace lumeward::test {

namespace {

// Debian's "nobody" and "nogroup".
constexpr uid_t kUnprivilegedUser = 65534;
constexpr gid_t kUnprivilegedGroup = 65534;

int waitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

}  // namespace

int runProgramTo(const std::string& program, const std::vector<std::string>& args,
                 const std::filesystem::path& outFile, const std::filesystem::path& errFile) {
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const int flags = O_WRONLY | O_CREAT | O_TRUNC;
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), flags, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), flags, 0600);
    // A signal this program ignores (SIGPIPE, say) is at its default in the child, as in a shell.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
        throw std::runtime_error("cannot start " + program);
    }
    const int status = waitFor(pid);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

RunResult runProgram(const std::string& program, const std::vector<std::string>& args) {
    const TempDir dir;
    const int status = runProgramTo(program, args, dir.path() / "out", dir.path() / "err");
    return {status, readFile(dir.path() / "out"), readFile(dir.path() / "err")};
}

ForkResult runForked(const std::function<std::string()>& work) {
    // A pipe, not a file: the child may have dropped its rights or met a size limit.
    int fds[2];
    if (::pipe(fds) != 0) {
        throw std::runtime_error("runForked: no pipe");
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const std::string output = work();
        for (std::size_t sent = 0; sent < output.size();) {
            const ssize_t count = ::write(fds[1], output.data() + sent, output.size() - sent);
            if (count <= 0 && errno != EINTR) {
                ::_exit(1);
            }
            sent += count > 0 ? static_cast<std::size_t>(count) : 0;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string output;
    char buffer[4096];
    for (ssize_t count; (count = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (count < 0 && errno != EINTR) {
            break;
        }
        output.append(buffer, count > 0 ? static_cast<std::size_t>(count) : 0);
    }
    ::close(fds[0]);
    if (pid < 0) {
        throw std::runtime_error("runForked: no fork");
    }
    const int status = waitFor(pid);
    return {WIFEXITED(status) && WEXITSTATUS(status) == 0, output};
}

void handToUnprivilegedUser(const std::filesystem::path& path) {
    if (::geteuid() == 0 && ::chown(path.c_str(), kUnprivilegedUser, kUnprivilegedGroup) != 0) {
        throw std::runtime_error("cannot hand " + path.string() + " to nobody");
    }
}

ForkResult runForkedUnprivileged(const std::function<std::string()>& work, gid_t alsoInGroup) {
    return runForked([&work, alsoInGroup] {
        const std::size_t groups = alsoInGroup == kUnprivilegedGroup ? 0 : 1;
        if (::geteuid() == 0 &&
            (::setgroups(groups, &alsoInGroup) != 0 || ::setgid(kUnprivilegedGroup) != 0 ||
             ::setuid(kUnprivilegedUser) != 0)) {
            return std::string("cannot become nobody");
        }
        return work();
    });
}

ForkedChild::ForkedChild(const std::function<void(const Send& send)>& work) {
    int fds[2];
    if (::pipe(fds) != 0) {
        throw std::runtime_error("ForkedChild: no pipe");
    }
    m_pid = ::fork();
    if (m_pid == 0) {
        ::close(fds[0]);
        // One write per line, shorter than PIPE_BUF: a kill never cuts a line in two.
        work([fd = fds[1]](std::string_view line) {
            const std::string whole = std::string(line) + "\n";
            while (::write(fd, whole.data(), whole.size()) < 0 && errno == EINTR) {
            }
        });
        ::_exit(0);
    }
    ::close(fds[1]);
    if (m_pid < 0) {
        ::close(fds[0]);
        throw std::runtime_error("ForkedChild: no fork");
    }
    m_lines = ::fdopen(fds[0], "r");
}

ForkedChild::~ForkedChild() {
    kill();
    std::fclose(m_lines);
}

std::optional<std::string> ForkedChild::nextLine() {
    char* line = nullptr;
    std::size_t size = 0;
    const ssize_t length = ::getline(&line, &size, m_lines);
    std::optional<std::string> text;
    if (length > 0) {
        text.emplace(line, static_cast<std::size_t>(length) - (line[length - 1] == '\n'));
    }
    std::free(line);
    return text;
}

void ForkedChild::kill() {
    if (!m_returned) {
        ::kill(m_pid, SIGKILL);
        wait();
    }
}

bool ForkedChild::wait() {
    if (!m_returned) {
        const int status = waitFor(m_pid);
        m_returned = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return *m_returned;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace lumeward::test
