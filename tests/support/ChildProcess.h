#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace lumeward::test {

// What a finished child process left: its exit status (-1 when a signal ended
// it), standard output and standard error.
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

std::string readFile(const std::filesystem::path& path);
std::vector<std::string> linesOf(const std::string& text);

}  // namespace lumeward::test
