#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lumeward::batch {

// Exit statuses of lumeward-batch.
enum ExitStatus : int { kExitSuccess = 0, kExitFailure = 1, kExitUsage = 2 };

// Runs lumeward-batch with its arguments (the program name left out), writing
// results to out and messages to err. Returns the exit status.
int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace lumeward::batch
