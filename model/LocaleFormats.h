#pragma once

#include <string>

namespace vorlanex {

// The system's formats for texts meant for people, in the pattern letters of FormatDateTime.
struct LocaleFormats {
    std::string ShortDateFormat = "mm/dd/yyyy";
    std::string LongTimeFormat = "hh:nn:ss";
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char ThousandSeparator = ',';

    // Read from the POSIX locale (LC_TIME, LC_NUMERIC) as the process has set it.
    static LocaleFormats FromSystem();
    // The same from the locale's own items (nl_langinfo D_FMT and T_FMT, the thousands
    // separator of localeconv); a null or empty item keeps the default.
    static LocaleFormats FromPosix(const char* dateFormat, const char* timeFormat,
                                   const char* thousandsSeparator);
    // A POSIX strftime date or time format turned into pattern letters, its separator written
    // as the placeholder ("/" for dates, ":" for times) and stored in *separator when given.
    static std::string FromStrftime(const std::string& format, char placeholder, char* separator);
};

}  // namespace vorlanex
