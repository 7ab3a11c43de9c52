#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vorlanex::cli {

// Exit statuses of vorlanex-cli.
enum ExitStatus : int {
    kExitComplete = 0,
    kExitCountedErrors = 1,
    kExitStopped = 2,
    kExitCancelled = 3,
    kExitUsage = 64,
};

// Runs the command line (without the program name) and returns the exit status.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vorlanex::cli
