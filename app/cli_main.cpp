#include <unistd.h>

#include <clocale>
#include <csignal>
#include <iostream>
#include <string_view>

#include "app/CliRunner.h"
#include "model/LocaleFormats.h"

namespace {
volatile std::sig_atomic_t g_signals = 0;

// The first signal cancels the run as the Cancel command would; a second one ends at once.
extern "C" void onSignal(int signal) {
    const bool again = g_signals != 0;
    g_signals = 1;
    if (again) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    vorlanex::cli::RequestCancelFromSignal();
}
}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    vorlanex::cli::CliEnvironment environment;
    environment.Locale = vorlanex::LocaleFormats::FromSystem();
    // Numbers travel between drivers and SQL text in the C locale's form.
    std::setlocale(LC_NUMERIC, "C");
    // Only a run has a cancel to ask for; the other commands end on a signal as usual.
    if (argc > 1 && std::string_view(argv[1]) == "run") {
        struct sigaction action {};
        action.sa_handler = onSignal;
        // The drivers' and the terminal's system calls go on after the handler returns.
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    }
    environment.StdoutIsTerminal = isatty(STDOUT_FILENO) == 1;
    environment.StderrIsTerminal = isatty(STDERR_FILENO) == 1;
    return vorlanex::cli::RunCli({argv + 1, argv + argc}, std::cout, std::cerr, environment);
}
