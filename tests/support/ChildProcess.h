#pragma once

#include <sys/types.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumeward::test {

// What a finished program left: its exit status (-1 when a signal ended it) and outputs.
struct RunResult {
    int status;
    std::string out;
    std::string err;
};

// Runs a program with the arguments, standard input from /dev/null and the two
// outputs into the given files; returns the exit status (-1 for a signal).
int runProgramTo(const std::string& program, const std::vector<std::string>& args,
                 const std::filesystem::path& outFile, const std::filesystem::path& errFile);
// The same, collecting both outputs.
RunResult runProgram(const std::string& program, const std::vector<std::string>& args);

// What a forked child sent back: whether it returned from work (no signal, no
// crash) and the text work returned.
struct ForkResult {
    bool exitedNormally;
    std::string output;
};

// Runs work in a forked copy of this process, for process-wide limits such as
// resource limits, and passes its text back through a pipe. The child ends with
// _exit, so none of this process's destructors run twice.
ForkResult runForked(const std::function<std::string()>& work);

// Permission checks do not apply to root, and the suite may run as root. When
// this process is root, these hand the path to the user "nobody" and let the
// forked child become that user (a member of alsoInGroup too, when given)
// before work runs; otherwise they change nothing.
void handToUnprivilegedUser(const std::filesystem::path& path);
ForkResult runForkedUnprivileged(const std::function<std::string()>& work,
                                 gid_t alsoInGroup = 65534 /* nogroup, nobody's own */);

// A forked copy of this process that runs work while the test goes on, for
// several processes at once or one killed half-way. work sends lines back through
// the function it is given. A child still running when the object goes is killed.
class ForkedChild {
public:
    using Send = std::function<void(std::string_view line)>;
    explicit ForkedChild(const std::function<void(const Send& send)>& work);
    ~ForkedChild();
    ForkedChild(const ForkedChild&) = delete;
    ForkedChild& operator=(const ForkedChild&) = delete;

    // The next line the child sent; none once it has ended and all are read.
    std::optional<std::string> nextLine();
    // Ends the child at once with SIGKILL.
    void kill();
    // Waits for the child; true when work returned (no signal, no uncaught exception).
    bool wait();

private:
    pid_t m_pid = -1;
    std::FILE* m_lines = nullptr;
    std::optional<bool> m_returned;  // once the child has ended
};

std::string readFile(const std::filesystem::path& path);
std::vector<std::string> linesOf(const std::string& text);

}  // namespace lumeward::test
