#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlanex {

struct LocaleFormats;

// A local date and time as the database layer and the clock deliver it. The default is the base
// date of the date-time representation, 1899-12-30 00:00:00.
struct DateTime {
    int Year = 1899;
    int Month = 12;
    int Day = 30;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;

    static DateTime Now();
    bool operator==(const DateTime&) const = default;
};

// Formats with pattern letters: yyyy, yy, mm, m (month), dd, d, hh, h, nn, n, ss, s, zzz,
// am/pm and AM/PM (which turn h into a 12-hour clock). "/" becomes the locale's date separator
// and ":" its time separator; text in single or double quotes is copied as it is.
std::string FormatDateTime(std::string_view pattern, const DateTime& value,
                           const LocaleFormats& locale);

// Reads a date with an optional time in the locale's short date order. Years of one or two
// digits fall into 1950 to 2049. Returns nothing when the text is not a valid date and time.
std::optional<DateTime> ParseLocaleDateTime(std::string_view text, const LocaleFormats& locale);

}  // namespace vorlanex
