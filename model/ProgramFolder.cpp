#include "model/ProgramFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace vorlanex {

namespace {
std::filesystem::path executableFolder() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path();
}
}  // namespace

std::filesystem::path ProgramFolder() {
    return ProgramFolder(executableFolder());
}

std::filesystem::path ProgramFolder(const std::filesystem::path& exeFolder) {
    if (const char* home = std::getenv("VORLANEX_HOME"); home && *home)
        return home;
    if (!exeFolder.empty() && ::access(exeFolder.c_str(), W_OK) == 0)
        return exeFolder;
    std::filesystem::path base;
    // A relative XDG_DATA_HOME is invalid by the base directory rules and is ignored.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::filesystem::path(home) / ".local" / "share";
    else
        base = std::filesystem::temp_directory_path();
    auto folder = base / "vorlanex";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder;
}

}  // namespace vorlanex
