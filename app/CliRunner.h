#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "model/LocaleFormats.h"

namespace vorlanex::cli {

// Exit statuses of vorlanex-cli.
enum ExitStatus : int {
    kExitComplete = 0,
    kExitCountedErrors = 1,
    kExitStopped = 2,
    kExitCancelled = 3,
    kExitUsage = 64,
};

// What the runner takes from the process it runs in.
struct CliEnvironment {
    bool StdoutIsTerminal = false;
    bool StderrIsTerminal = false;
    LocaleFormats Locale;
};

// Runs the command line (without the program name) and returns the exit status.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment = {});

// Asks a run under way to stop as a Cancel would; safe to call from a signal handler.
void RequestCancelFromSignal() noexcept;

}  // namespace vorlanex::cli
