#pragma once

#include <cstddef>
#include <filesystem>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vorlanex {

// A failed write of a template or settings file, or a value that such a file cannot hold.
class StorageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::string_view kUnableToWrite = "Unable to write to %s";
inline constexpr std::string_view kLineBreakInValue =
    "Cannot write [%s] %s to %s: the text holds a line break";

// The INI files of the program (templates and the settings file): sections of "key=value" lines,
// 8-bit text, written with CR LF line ends and read with LF or CR LF.
//
// Section and key names are matched without regard to the letter case of a to z; values are
// written exactly as given and read with the characters of code 0 to 32 around them removed. A
// key that occurs twice in a section, or in two sections of the same name, reads as its first
// occurrence. Lines that are neither sections nor keys are kept as they are when the file is
// rewritten.
//
// The file is read on first use. In the Immediate mode every write or erase rewrites the file at
// once; in the Deferred mode changes are held until Flush, so a group of writes reaches the file
// in one piece. A rewrite goes through a temporary file in the same folder and a rename, so an
// interrupted write never leaves a half-written file behind.
class IniStore {
public:
    enum class WriteMode { Immediate, Deferred };

    explicit IniStore(std::filesystem::path path, WriteMode mode = WriteMode::Immediate);

    const std::filesystem::path& Path() const noexcept { return m_path; }

    // Removes every section of that name with all its keys; a missing section is no error.
    void EraseSection(std::string_view section);
    // Replaces the first occurrence of the key in place, or appends the key at the end of the
    // section, or appends the section at the end of the file.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Decimal, or "0x" followed by hexadecimal digits; the default for anything else.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    // The keys of the section in file order as "key=value" lines, each value read as by
    // ReadString; no lines when the file or the section is missing.
    std::vector<std::string> ReadSectionValues(std::string_view section) const;

    // The number of key lines in the whole file.
    std::size_t KeyCount() const;

    // Writes pending changes of the Deferred mode; nothing happens when there are none.
    void Flush();
    // Drops pending changes; the next use reads the file again.
    void Revert() noexcept;

private:
    struct Line {
        std::string text;
        bool isKey = false;
        std::string key;         // trimmed
        std::size_t keyEnd = 0;  // the value starts after text[keyEnd], the equals sign
    };
    struct Section {
        std::string name;  // empty with noHeader for the lines before the first section
        bool noHeader = false;
        std::string header;
        std::vector<Line> lines;
    };

    void Load() const;
    // Indexes into m_sections of the sections of that name, in file order.
    const std::vector<std::size_t>& SectionsNamed(std::string_view section) const;
    Line* FindKey(std::string_view section, std::string_view key) const;
    void Changed();
    void Save();

    std::filesystem::path m_path;
    WriteMode m_mode;
    mutable bool m_loaded = false;
    // The file exists but could not be read: rewriting it would lose its contents.
    mutable bool m_unreadable = false;
    mutable std::vector<Section> m_sections;
    // Upper-cased section name to its sections; rebuilt when sections come or go.
    mutable std::unordered_map<std::string, std::vector<std::size_t>> m_index;
    mutable bool m_indexed = false;
    bool m_dirty = false;
};

// The integer in text: optional sign and decimal digits, or "0x" and up to eight hexadecimal
// digits taken as a 32-bit pattern. False for anything else, blanks and out-of-range values
// included.
bool ParseIniInteger(std::string_view text, int& value) noexcept;

// "%s" of a message text replaced by the argument, in order.
std::string FormatStorageMessage(std::string_view pattern,
                                 std::initializer_list<std::string_view> args);

}  // namespace vorlanex
