#include "storage/SettingsFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>

#include "model/NameCompare.h"
#include "storage/IniStore.h"

namespace vorlanex {

namespace {

bool Exists(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

// An empty settings file where there is none; false when the folder does not allow one.
bool CreateIfMissing(const std::filesystem::path& path) {
    if (Exists(path))
        return true;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0)
        ::close(fd);
    return Exists(path);
}

std::string_view ValueOf(std::string_view line) {
    const std::size_t equals = line.find('=');
    return equals == std::string_view::npos ? line : line.substr(equals + 1);
}

std::string_view KeyOf(std::string_view line) {
    return line.substr(0, line.find('='));
}

std::string RecentKey(std::size_t number) {
    return std::string(kRecentKeyPrefix) + std::to_string(number);
}

// True when the keys run "File1", "File2", ... in file order without gaps or repeats.
bool KeysAreInOrder(const std::vector<std::string>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!SameName(KeyOf(lines[i]), RecentKey(i + 1)))
            return false;
    }
    return true;
}

void RewriteRecent(IniStore& store, const std::vector<std::string>& lines) {
    store.EraseSection(kSectionRecentTemplates);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        store.WriteString(kSectionRecentTemplates, RecentKey(i + 1), ValueOf(lines[i]));
    }
}

}  // namespace

std::filesystem::path SettingsFilePath(const std::filesystem::path& folder) {
    return folder / kSettingsFileName;
}

WindowSize ReadWindowSize(const std::filesystem::path& settingsPath) {
    WindowSize size;
    if (!Exists(settingsPath))
        return size;
    const IniStore store(settingsPath);
    size.Height = store.ReadInteger(kSectionMain, kKeyWindowHeight, size.Height);
    size.Width = store.ReadInteger(kSectionMain, kKeyWindowWidth, size.Width);
    return size;
}

void WriteWindowSize(const std::filesystem::path& settingsPath, const WindowSize& size) {
    if (!CreateIfMissing(settingsPath))
        return;
    IniStore store(settingsPath, IniStore::WriteMode::Deferred);
    store.WriteInteger(kSectionMain, kKeyWindowHeight, size.Height);
    store.WriteInteger(kSectionMain, kKeyWindowWidth, size.Width);
    store.Flush();
}

int FindRecentFile(std::string_view path, const std::vector<std::string>& lines) {
    // The whole path is compared: a path that merely occurs inside another entry (or inside a
    // key) would otherwise overwrite that entry.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (SameName(ValueOf(lines[i]), path))
            return static_cast<int>(i);
    }
    return -1;
}

void SaveRecentFile(const std::filesystem::path& settingsPath, std::string_view templatePath) {
    if (!CreateIfMissing(settingsPath))
        return;
    IniStore store(settingsPath, IniStore::WriteMode::Deferred);
    std::vector<std::string> lines = store.ReadSectionValues(kSectionRecentTemplates);
    const int found = FindRecentFile(templatePath, lines);
    std::string key;
    if (lines.size() >= static_cast<std::size_t>(kMaxRecentFiles)) {
        lines.erase(lines.begin() + (found >= 0 ? found : 0));
        // A section edited by hand may hold more than five entries: the oldest go, so the new
        // path still ends up as the newest of five.
        if (lines.size() > static_cast<std::size_t>(kMaxRecentFiles - 1)) {
            lines.erase(lines.begin(), lines.end() - (kMaxRecentFiles - 1));
        }
        RewriteRecent(store, lines);
        key = RecentKey(static_cast<std::size_t>(kMaxRecentFiles));
    } else {
        // Keys out of order would have the new path overwrite another entry.
        if (!KeysAreInOrder(lines))
            RewriteRecent(store, lines);
        key = RecentKey(found >= 0 ? static_cast<std::size_t>(found) + 1 : lines.size() + 1);
    }
    store.WriteString(kSectionRecentTemplates, key, templatePath);
    store.Flush();
}

std::vector<std::string> RecentFiles(const std::filesystem::path& settingsPath) {
    std::vector<std::string> paths;
    if (!Exists(settingsPath))
        return paths;
    const IniStore store(settingsPath);
    const std::vector<std::string> lines = store.ReadSectionValues(kSectionRecentTemplates);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        paths.emplace_back(ValueOf(*line));
    }
    return paths;
}

}  // namespace vorlanex
