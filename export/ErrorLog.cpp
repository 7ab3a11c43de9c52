#include "export/ErrorLog.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "export/ScriptFile.h"
#include "model/NameCompare.h"

namespace vorlanex {

namespace {
constexpr std::string_view kTimestampLabel = "Timestamp: \t";
constexpr std::string_view kTemplateLabel = "Template: \t";
constexpr std::string_view kFunctionLabel = "Function: \t";
constexpr std::string_view kErrorLabel = "Error:      \t";
constexpr std::string_view kSqlLabel = "SQL Query: \t";
constexpr size_t kRuleLength = 100;
constexpr std::string_view kLineEnd = "\r\n";

std::string reason(int error) {
    return std::system_category().message(error);
}
}  // namespace

TErrorLog::TErrorLog(const std::filesystem::path& programFolder, LocaleFormats locale, Clock clock)
    : m_path(programFolder / kErrorLogFileName),
      m_locale(std::move(locale)),
      m_clock(std::move(clock)) {}

void TErrorLog::DeleteLogFile() const {
    std::error_code error;
    std::filesystem::remove(m_path, error);
    // Records of an earlier run left behind would be read as this run's errors.
    if (error)
        throw FileError("Cannot delete " + m_path.string() + ": " + error.message());
}

void TErrorLog::LogError(IErrorLogWindow* window, std::string_view functionName,
                         std::string_view message, std::string_view sql) const {
    std::string record;
    record.append(kTimestampLabel)
        .append(FormatDateTime(m_locale.ShortDateFormat + " " + m_locale.LongTimeFormat, m_clock(),
                               m_locale))
        .append(kLineEnd);
    if (window) {
        const std::string templatePath = window->TemplateFilePath();
        record.append(kTemplateLabel)
            .append(std::filesystem::path(templatePath).filename().string())
            .append(kLineEnd);
    }
    record.append(kFunctionLabel).append(functionName).append(kLineEnd);
    record.append(kErrorLabel).append(message).append(kLineEnd);
    record.append(kLineEnd);
    if (!IsBlank(sql)) {
        record.append(kSqlLabel).append(sql).append(kLineEnd);
        record.append(kLineEnd);
    }
    record.append(kRuleLength, '-').append(kLineEnd);

    std::FILE* file = std::fopen(m_path.c_str(), "ab");
    if (!file)
        throw FileError("Cannot open " + m_path.string() + ": " + reason(errno));
    // A full disk may only show when the buffer is flushed.
    const bool written = std::fwrite(record.data(), 1, record.size(), file) == record.size() &&
                         std::fflush(file) == 0;
    const int writeError = errno;
    try {
        if (window)
            window->CountError();
    } catch (...) {
        std::fclose(file);
        throw;
    }
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        throw FileError("Cannot write to " + m_path.string() + ": " +
                        reason(written ? errno : writeError));
}

}  // namespace vorlanex
