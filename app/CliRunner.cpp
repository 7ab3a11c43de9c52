#include "app/CliRunner.h"

#include <ostream>

namespace vorlanex::cli {

namespace {

constexpr const char* kUsage =
    "usage: vorlanex-cli --help | --version\n";

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && args[0] == "--version") {
        out << "vorlanex-cli " << VORLANEX_VERSION << '\n';
        return kExitComplete;
    }
    if (args.size() == 1 && args[0] == "--help") {
        out << kUsage;
        return kExitComplete;
    }
    err << kUsage;
    return kExitUsage;
}

}  // namespace vorlanex::cli
