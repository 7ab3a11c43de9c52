#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vorlanex {

inline constexpr std::string_view kSettingsFileName = "Vorlanex.INI";
inline constexpr std::string_view kSectionMain = "MAIN";
inline constexpr std::string_view kKeyWindowHeight = "WindowHeight";
inline constexpr std::string_view kKeyWindowWidth = "WindowWidth";
inline constexpr std::string_view kSectionRecentTemplates = "RecentTemplates";
inline constexpr std::string_view kRecentKeyPrefix = "File";
inline constexpr int kMaxRecentFiles = 5;

// The main window's designed size, kept when the settings file holds none.
struct WindowSize {
    int Width = 1113;
    int Height = 640;
};

// The settings file of the program folder (ProgramFolder() in the program).
std::filesystem::path SettingsFilePath(const std::filesystem::path& folder);

// The stored size, without any bounds check; the designed size when the file is missing.
WindowSize ReadWindowSize(const std::filesystem::path& settingsPath);

// Stores the size. Does nothing when the file cannot be created; throws StorageError when it
// exists but cannot be written, which the closing window must not let stop it from closing.
void WriteWindowSize(const std::filesystem::path& settingsPath, const WindowSize& size);

// Records a template path as the newest entry of the recent list ("File1" oldest, at most five
// entries). A path already listed keeps its place while the list is not full and moves to the
// newest place once it is. Does nothing when the file cannot be created; throws StorageError
// when it exists but cannot be written.
void SaveRecentFile(const std::filesystem::path& settingsPath, std::string_view templatePath);

// The index of the first "key=path" line whose path equals the given one without regard to the
// letter case of a to z; -1 when none does.
int FindRecentFile(std::string_view path, const std::vector<std::string>& lines);

// The recent template paths, newest first, as the "Recent" menu lists them; empty when the file
// or the section is missing. Paths are returned as stored: a menu that treats "&" as an
// accelerator marker must escape it.
std::vector<std::string> RecentFiles(const std::filesystem::path& settingsPath);

}  // namespace vorlanex
