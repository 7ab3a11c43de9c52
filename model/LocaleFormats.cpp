#include "model/LocaleFormats.h"

#include <langinfo.h>

#include <clocale>

namespace vorlanex {

std::string LocaleFormats::FromStrftime(const std::string& format, char placeholder,
                                        char* separator) {
    // The first of these characters is the format's separator; every occurrence of it is written
    // as the placeholder, which FormatDateTime turns back into the locale's separator.
    std::string out;
    char found = 0;
    auto literal = [&](char c) {
        if (!found && (c == '/' || c == '.' || c == '-' || c == ':')) {
            found = c;
            if (separator) *separator = c;
        }
        out += (found && c == found) ? placeholder : c;
    };
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            literal(format[i]);
            continue;
        }
        char spec = format[++i];
        if ((spec == 'E' || spec == 'O') && i + 1 < format.size()) spec = format[++i];
        switch (spec) {
            case 'd': out += "dd"; break;
            case 'e': out += "d"; break;
            case 'm': out += "mm"; break;
            case 'Y': out += "yyyy"; break;
            case 'y': out += "yy"; break;
            case 'H': out += "hh"; break;
            case 'k': out += "h"; break;
            case 'I': out += "hh"; break;
            case 'l': out += "h"; break;
            case 'M': out += "nn"; break;
            case 'S': out += "ss"; break;
            case 'p': out += "AM/PM"; break;
            case 'P': out += "am/pm"; break;
            case 'D': out += FromStrftime("%m/%d/%y", placeholder, separator); break;
            case 'F': out += FromStrftime("%Y-%m-%d", placeholder, separator); break;
            case 'T': out += FromStrftime("%H:%M:%S", placeholder, separator); break;
            case 'R': out += FromStrftime("%H:%M", placeholder, separator); break;
            case 'r': out += FromStrftime("%I:%M:%S %p", placeholder, separator); break;
            case '%': out += '%'; break;
            default: break;  // week days, month names and zones have no place in these texts
        }
    }
    return out;
}

LocaleFormats LocaleFormats::FromSystem() {
    LocaleFormats formats;
    const char* dateFormat = nl_langinfo(D_FMT);
    const char* timeFormat = nl_langinfo(T_FMT);
    if (dateFormat && *dateFormat)
        formats.ShortDateFormat = FromStrftime(dateFormat, '/', &formats.DateSeparator);
    if (timeFormat && *timeFormat)
        formats.LongTimeFormat = FromStrftime(timeFormat, ':', &formats.TimeSeparator);
    const std::lconv* numeric = std::localeconv();
    if (numeric && numeric->thousands_sep && *numeric->thousands_sep)
        formats.ThousandSeparator = *numeric->thousands_sep;
    return formats;
}

}  // namespace vorlanex
