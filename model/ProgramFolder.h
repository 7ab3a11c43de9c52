#pragma once

#include <filesystem>

namespace vorlanex {

// The folder for the settings file, the error log and the temporary script:
// $VORLANEX_HOME when set; else the executable's folder when it is writable; else
// $XDG_DATA_HOME/vorlanex (default ~/.local/share/vorlanex), created when first needed.
std::filesystem::path ProgramFolder();
// The same choice for an executable that lies in executableFolder.
std::filesystem::path ProgramFolder(const std::filesystem::path& executableFolder);

}  // namespace vorlanex
