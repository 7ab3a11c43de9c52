#include "export/ErrorLog.h"

#include <exception>

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

    // A file that cannot be opened is the caller's error in place of this one: not counted.
    TTextFileWriter file(m_path, TTextFileWriter::Mode::Append);
    std::exception_ptr writeFailure;
    try {
        file.Write(record);
    } catch (...) {
        writeFailure = std::current_exception();
    }
    // The error counts even when its record could not be written; the file closes after that.
    if (window)
        window->CountError();
    file.Close();
    if (writeFailure)
        std::rethrow_exception(writeFailure);
}

}  // namespace vorlanex
