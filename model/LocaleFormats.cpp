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
            if (separator)
                *separator = c;
        }
        if (found && c == found) {
            out += placeholder;
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '\'') {
            // A literal letter would read as a pattern letter, a quote as the start of a text.
            out += '"';
            out += c;
            out += '"';
        } else if (c == '"') {
            out += "'\"'";
        } else {
            out += c;
        }
    };
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            literal(format[i]);
            continue;
        }
        char conversion = format[++i];
        if ((conversion == 'E' || conversion == 'O') && i + 1 < format.size())
            conversion = format[++i];
        switch (conversion) {
            case 'd':
                out += "dd";
                break;
            case 'e':
                out += "d";
                break;
            case 'm':
                out += "mm";
                break;
            case 'Y':
                out += "yyyy";
                break;
            case 'y':
                out += "yy";
                break;
            case 'H':
                out += "hh";
                break;
            case 'k':
                out += "h";
                break;
            case 'I':
                out += "hh";
                break;
            case 'l':
                out += "h";
                break;
            case 'M':
                out += "nn";
                break;
            case 'S':
                out += "ss";
                break;
            case 'p':
                out += "AM/PM";
                break;
            case 'P':
                out += "am/pm";
                break;
            case 'D':
                out += FromStrftime("%m/%d/%y", placeholder, separator);
                break;
            case 'F':
                out += FromStrftime("%Y-%m-%d", placeholder, separator);
                break;
            case 'T':
                out += FromStrftime("%H:%M:%S", placeholder, separator);
                break;
            case 'R':
                out += FromStrftime("%H:%M", placeholder, separator);
                break;
            case 'r':
                out += FromStrftime("%I:%M:%S %p", placeholder, separator);
                break;
            case '%':
                out += '%';
                break;
            default:
                break;  // week days, month names and zones have no place in these texts
        }
    }
    return out;
}

namespace {

// Texts hold the separator as one byte. A locale whose separator is a multibyte character
// (the no-break spaces, the typographic apostrophe) gets its plain one-byte look-alike, so
// that no half of a UTF-8 sequence ends up in a text.
char singleByteSeparator(const char* separator, char fallback) {
    if (!separator || !*separator)
        return fallback;
    const std::string text(separator);
    if (text.size() == 1)
        return text[0];
    if (text == "\u2019" || text == "\u2032")
        return '\'';
    return ' ';
}

}  // namespace

LocaleFormats LocaleFormats::FromPosix(const char* dateFormat, const char* timeFormat,
                                       const char* thousandsSeparator) {
    LocaleFormats formats;
    if (dateFormat && *dateFormat)
        formats.ShortDateFormat = FromStrftime(dateFormat, '/', &formats.DateSeparator);
    if (timeFormat && *timeFormat)
        formats.LongTimeFormat = FromStrftime(timeFormat, ':', &formats.TimeSeparator);
    formats.ThousandSeparator = singleByteSeparator(thousandsSeparator, formats.ThousandSeparator);
    return formats;
}

LocaleFormats LocaleFormats::FromSystem() {
    const std::lconv* numeric = std::localeconv();
    return FromPosix(nl_langinfo(D_FMT), nl_langinfo(T_FMT),
                     numeric ? numeric->thousands_sep : nullptr);
}

}  // namespace vorlanex
