#include "export/ScriptFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace vorlanex {

namespace {
constexpr size_t kBufferSize = 1 << 20;

std::string reason(int error) {
    return std::system_category().message(error);
}
}  // namespace

TTextFileWriter::TTextFileWriter(const std::filesystem::path& path, Mode mode) : m_path(path) {
    m_file = std::fopen(path.c_str(), mode == Mode::Create ? "wb" : "ab");
    if (!m_file)
        fail("Cannot open");
    std::setvbuf(m_file, nullptr, _IOFBF, kBufferSize);
}

TTextFileWriter::~TTextFileWriter() {
    if (m_file)
        std::fclose(m_file);
}

void TTextFileWriter::fail(const char* what) {
    const int error = errno;
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    throw FileError(std::string(what) + " " + m_path.string() + ": " + reason(error));
}

void TTextFileWriter::Write(std::string_view text) {
    if (text.empty())
        return;
    if (std::fwrite(text.data(), 1, text.size(), m_file) != text.size())
        fail("Cannot write to");
}

void TTextFileWriter::Close() {
    if (!m_file)
        return;
    std::FILE* file = m_file;
    m_file = nullptr;
    const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    const int error = errno;
    const bool closed = std::fclose(file) == 0;
    if (!flushed || !closed) {
        throw FileError("Cannot write to " + m_path.string() + ": " +
                        reason(flushed ? errno : error));
    }
}

TTextFileReader::TTextFileReader(const std::filesystem::path& path) : m_path(path) {
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file)
        throw FileError("Cannot open " + path.string() + ": " + reason(errno));
    std::setvbuf(m_file, nullptr, _IOFBF, kBufferSize);
}

TTextFileReader::~TTextFileReader() {
    Close();
    std::free(m_buffer);
}

void TTextFileReader::Close() noexcept {
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}

bool TTextFileReader::ReadLine(std::string& line, std::string_view& lineEnd) {
    line.clear();
    lineEnd = {};
    if (!m_file)
        return false;
    errno = 0;
    const ssize_t length = ::getline(&m_buffer, &m_capacity, m_file);
    if (length < 0) {
        if (std::ferror(m_file))
            throw FileError("Cannot read " + m_path.string() + ": " + reason(errno));
        return false;
    }
    size_t size = static_cast<size_t>(length);
    if (size > 0 && m_buffer[size - 1] == '\n') {
        --size;
        if (size > 0 && m_buffer[size - 1] == '\r') {
            --size;
            lineEnd = "\r\n";
        } else {
            lineEnd = "\n";
        }
    }
    line.assign(m_buffer, size);
    return true;
}

std::uintmax_t FileSizeOf(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        throw FileError("Cannot read " + path.string() + ": " + error.message());
    return size;
}

}  // namespace vorlanex
