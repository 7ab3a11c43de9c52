#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vorlanex {

// Any failure to create, write, read or close a script or log file; the message names the file
// and the system's reason.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text file written through a large buffer. Every failure raises FileError; Close reports a
// write that only failed when the buffer was flushed (a full disk).
class TTextFileWriter {
public:
    enum class Mode { Create, Append };
    TTextFileWriter(const std::filesystem::path& path, Mode mode);
    TTextFileWriter(const TTextFileWriter&) = delete;
    TTextFileWriter& operator=(const TTextFileWriter&) = delete;
    ~TTextFileWriter();

    void Write(std::string_view text);
    void WriteLine(std::string_view text) {
        Write(text);
        Write("\r\n");
    }
    void Close();

private:
    [[noreturn]] void fail(const char* what);
    std::filesystem::path m_path;
    std::FILE* m_file = nullptr;
};

// Reads a text file line by line. A line ends at LF; a CR before the LF belongs to the line end,
// which is kept so that text spread over several lines can be joined back exactly.
class TTextFileReader {
public:
    explicit TTextFileReader(const std::filesystem::path& path);
    TTextFileReader(const TTextFileReader&) = delete;
    TTextFileReader& operator=(const TTextFileReader&) = delete;
    ~TTextFileReader();

    // False at the end of the file. lineEnd is "\r\n", "\n" or empty (the last line).
    bool ReadLine(std::string& line, std::string_view& lineEnd);
    void Close() noexcept;

private:
    std::filesystem::path m_path;
    std::FILE* m_file = nullptr;
    char* m_buffer = nullptr;
    size_t m_capacity = 0;
};

std::uintmax_t FileSizeOf(const std::filesystem::path& path);

}  // namespace vorlanex
