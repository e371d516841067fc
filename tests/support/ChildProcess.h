#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
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

std::string readFile(const std::filesystem::path& path);
std::vector<std::string> linesOf(const std::string& text);

}  // namespace lumeward::test
