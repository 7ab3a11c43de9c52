#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "model/DateTime.h"
#include "model/LocaleFormats.h"

namespace vorlanex {

inline constexpr std::string_view kErrorLogFileName = "DidiDovezidErrors.txt";

// The window an error is logged for: the template in use and the error count it shows.
class IErrorLogWindow {
public:
    virtual ~IErrorLogWindow() = default;
    // The template file in use, with or without its folder; empty when there is none.
    virtual std::string TemplateFilePath() const = 0;
    // Raises the error count by one and refreshes the status bar that shows it.
    virtual void CountError() = 0;
};

// The log of the database errors of the last export run, one record per error, in the
// program folder. No file is kept open between records.
class TErrorLog {
public:
    using Clock = std::function<DateTime()>;

    TErrorLog(const std::filesystem::path& programFolder, LocaleFormats locale,
              Clock clock = &DateTime::Now);

    const std::filesystem::path& Path() const noexcept { return m_path; }

    // Removes the log of the previous run, when there is one. Throws FileError when it stays.
    void DeleteLogFile() const;

    // Appends one record. With a window the record names its template and the error is
    // counted, also when writing the record fails. Throws FileError when the file cannot be
    // opened (the error is then not counted) or written.
    void LogError(IErrorLogWindow* window, std::string_view functionName, std::string_view message,
                  std::string_view sql) const;

private:
    std::filesystem::path m_path;
    LocaleFormats m_locale;
    Clock m_clock;
};

}  // namespace vorlanex
