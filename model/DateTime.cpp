#include "model/DateTime.h"

#include <cctype>
#include <chrono>
#include <ctime>
#include <vector>

#include "model/LocaleFormats.h"

namespace vorlanex {

DateTime DateTime::Now() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    DateTime value;
    value.Year = local.tm_year + 1900;
    value.Month = local.tm_mon + 1;
    value.Day = local.tm_mday;
    value.Hour = local.tm_hour;
    value.Minute = local.tm_min;
    value.Second = local.tm_sec;
    value.Millisecond =
        static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return value;
}

namespace {

bool startsWithNoCase(std::string_view text, size_t pos, std::string_view word) {
    if (text.size() - pos < word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[pos + i])) != word[i])
            return false;
    }
    return true;
}

void appendNumber(std::string& out, int value, int width) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (value < 0)
        out += '-';
    if (static_cast<int>(digits.size()) < width)
        out.append(width - digits.size(), '0');
    out += digits;
}

size_t runLength(std::string_view text, size_t pos) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[pos])));
    size_t n = 0;
    while (pos + n < text.size() && std::tolower(static_cast<unsigned char>(text[pos + n])) == c)
        ++n;
    return n;
}

}  // namespace

std::string FormatDateTime(std::string_view pattern, const DateTime& value,
                           const LocaleFormats& locale) {
    bool twelveHour = false;
    for (size_t at = 0; at < pattern.size() && !twelveHour; ++at)
        twelveHour = startsWithNoCase(pattern, at, "am/pm");
    std::string out;
    out.reserve(pattern.size() + 8);
    size_t pos = 0;
    while (pos < pattern.size()) {
        const char c = pattern[pos];
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (c == '\'' || c == '"') {
            const size_t close = pattern.find(c, pos + 1);
            const size_t end = close == std::string_view::npos ? pattern.size() : close;
            out.append(pattern.substr(pos + 1, end - pos - 1));
            pos = end == pattern.size() ? end : end + 1;
            continue;
        }
        if (lower == 'a' && startsWithNoCase(pattern, pos, "am/pm")) {
            const bool upper = c == 'A';
            out += value.Hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
            pos += 5;
            continue;
        }
        if (c == '/') {
            out += locale.DateSeparator;
            ++pos;
            continue;
        }
        if (c == ':') {
            out += locale.TimeSeparator;
            ++pos;
            continue;
        }
        const size_t n = runLength(pattern, pos);
        switch (lower) {
            case 'y':
                if (n >= 3)
                    appendNumber(out, value.Year, 4);
                else
                    appendNumber(out, value.Year % 100, 2);
                break;
            case 'm':
                appendNumber(out, value.Month, n >= 2 ? 2 : 1);
                break;
            case 'd':
                appendNumber(out, value.Day, n >= 2 ? 2 : 1);
                break;
            case 'h': {
                int hour = value.Hour;
                if (twelveHour) {
                    hour %= 12;
                    if (hour == 0)
                        hour = 12;
                }
                appendNumber(out, hour, n >= 2 ? 2 : 1);
                break;
            }
            case 'n':
                appendNumber(out, value.Minute, n >= 2 ? 2 : 1);
                break;
            case 's':
                appendNumber(out, value.Second, n >= 2 ? 2 : 1);
                break;
            case 'z':
                appendNumber(out, value.Millisecond, n >= 3 ? 3 : 1);
                break;
            default:
                out.append(pattern.substr(pos, n));
                break;
        }
        pos += n;
    }
    return out;
}

namespace {

enum class DateOrder { MDY, DMY, YMD };

DateOrder orderOf(const std::string& format) {
    for (char c : format) {
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower == 'm')
            return DateOrder::MDY;
        if (lower == 'd')
            return DateOrder::DMY;
        if (lower == 'y')
            return DateOrder::YMD;
    }
    return DateOrder::MDY;
}

bool isLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

struct Scanner {
    std::string_view text;
    size_t pos = 0;
    void skipBlanks() {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
    }
    bool number(int& value, int& digits) {
        skipBlanks();
        digits = 0;
        value = 0;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
            if (digits >= 9)
                return false;
            value = value * 10 + (text[pos] - '0');
            ++digits;
            ++pos;
        }
        return digits > 0;
    }
    bool separator(char sep) {
        skipBlanks();
        if (pos < text.size() && text[pos] == sep) {
            ++pos;
            return true;
        }
        return false;
    }
    bool atEnd() {
        skipBlanks();
        return pos >= text.size();
    }
};

}  // namespace

std::optional<DateTime> ParseLocaleDateTime(std::string_view text, const LocaleFormats& locale) {
    Scanner scan{text};
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int count = 0;
    for (; count < 3; ++count) {
        if (count > 0 && !scan.separator(locale.DateSeparator))
            break;
        if (!scan.number(parts[count], digits[count]))
            return std::nullopt;
    }
    if (count < 2)
        return std::nullopt;

    DateTime result;
    result.Hour = result.Minute = result.Second = result.Millisecond = 0;
    int year = 0;
    int month = 0;
    int day = 0;
    int yearDigits = 4;
    DateOrder order = orderOf(locale.ShortDateFormat);
    if (count == 3 && digits[0] >= 3)
        order = DateOrder::YMD;  // an ISO-style year first
    if (count == 2) {
        // Day and month only: the current year.
        year = DateTime::Now().Year;
        if (order == DateOrder::DMY) {
            day = parts[0];
            month = parts[1];
        } else if (order == DateOrder::YMD) {
            month = parts[0];
            day = parts[1];
        } else {
            month = parts[0];
            day = parts[1];
        }
    } else {
        switch (order) {
            case DateOrder::MDY:
                month = parts[0], day = parts[1], year = parts[2], yearDigits = digits[2];
                break;
            case DateOrder::DMY:
                day = parts[0], month = parts[1], year = parts[2], yearDigits = digits[2];
                break;
            case DateOrder::YMD:
                year = parts[0], month = parts[1], day = parts[2], yearDigits = digits[0];
                break;
        }
        if (yearDigits <= 2)
            year += year < 50 ? 2000 : 1900;
    }
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month))
        return std::nullopt;
    result.Year = year;
    result.Month = month;
    result.Day = day;

    if (!scan.atEnd()) {
        int hour = 0;
        int minute = 0;
        int second = 0;
        int n = 0;
        if (!scan.number(hour, n))
            return std::nullopt;
        if (scan.separator(locale.TimeSeparator)) {
            if (!scan.number(minute, n))
                return std::nullopt;
            if (scan.separator(locale.TimeSeparator) && !scan.number(second, n))
                return std::nullopt;
        }
        scan.skipBlanks();
        std::string_view rest = text.substr(scan.pos);
        if (!rest.empty()) {
            const bool am = startsWithNoCase(rest, 0, "am");
            const bool pm = startsWithNoCase(rest, 0, "pm");
            if ((!am && !pm) || rest.size() != 2)
                return std::nullopt;
            if (hour < 1 || hour > 12)
                return std::nullopt;
            if (am && hour == 12)
                hour = 0;
            if (pm && hour != 12)
                hour += 12;
        }
        if (hour > 23 || minute > 59 || second > 59)
            return std::nullopt;
        result.Hour = hour;
        result.Minute = minute;
        result.Second = second;
    }
    return result;
}

}  // namespace vorlanex
