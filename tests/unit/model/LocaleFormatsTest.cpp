#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "model/DateTime.h"
#include "model/LocaleFormats.h"

namespace vorlanex {
namespace {

// What the C library writes for the format, the oracle for the converted pattern. The test
// process runs in the C locale, whose AM and PM are the ones FormatDateTime writes.
std::string strftimeText(const char* format, const DateTime& value) {
    std::tm tm{};
    tm.tm_year = value.Year - 1900;
    tm.tm_mon = value.Month - 1;
    tm.tm_mday = value.Day;
    tm.tm_hour = value.Hour;
    tm.tm_min = value.Minute;
    tm.tm_sec = value.Second;
    char buffer[128];
    const size_t length = std::strftime(buffer, sizeof buffer, format, &tm);
    return std::string(buffer, length);
}

TEST(LocaleFormats, StrftimeFormatsTurnIntoPatternsThatWriteTheSameText) {
    struct Case {
        const char* format;
        bool isDate;
        const char* pattern;
        char separator;
    };
    const Case cases[] = {
        {"%m/%d/%y", true, "mm/dd/yy", '/'},            // C
        {"%H:%M:%S", false, "hh:nn:ss", ':'},           // C
        {"%m/%d/%Y", true, "mm/dd/yyyy", '/'},          // en_US
        {"%r", false, "hh:nn:ss AM/PM", ':'},           // en_US
        {"%I:%M:%S %p", false, "hh:nn:ss AM/PM", ':'},  // en_US, spelled out
        {"%d.%m.%Y", true, "dd/mm/yyyy", '.'},          // de_DE
        {"%T", false, "hh:nn:ss", ':'},                 // de_DE
        {"%F", true, "yyyy/mm/dd", '-'},
        {"%D", true, "mm/dd/yy", '/'},
        {"%Y. %m. %d.", true, "yyyy/ mm/ dd/", '.'},
        {"%Hh%M", false, "hh\"h\"nn", ':'},  // a literal letter
        {"%d de %m de %Y", true, "dd \"d\"\"e\" mm \"d\"\"e\" yyyy", '/'},
        {"%H.%M.%S", false, "hh:nn:ss", '.'},
        {"%Ey-%Om-%Od", true, "yy/mm/dd", '-'},
    };
    const DateTime values[] = {DateTime{},
                               [] {
                                   DateTime v;
                                   v.Year = 2011, v.Month = 3, v.Day = 5;
                                   v.Hour = 14, v.Minute = 7, v.Second = 9;
                                   return v;
                               }(),
                               [] {
                                   DateTime v;
                                   v.Year = 2024, v.Month = 12, v.Day = 31;
                                   v.Hour = 12, v.Minute = 0, v.Second = 59;
                                   return v;
                               }()};
    for (const auto& c : cases) {
        const LocaleFormats locale = c.isDate
                                         ? LocaleFormats::FromPosix(c.format, nullptr, nullptr)
                                         : LocaleFormats::FromPosix(nullptr, c.format, nullptr);
        const std::string& pattern = c.isDate ? locale.ShortDateFormat : locale.LongTimeFormat;
        EXPECT_EQ(pattern, c.pattern) << c.format;
        EXPECT_EQ(c.isDate ? locale.DateSeparator : locale.TimeSeparator, c.separator) << c.format;
        for (const auto& value : values)
            EXPECT_EQ(FormatDateTime(pattern, value, locale), strftimeText(c.format, value))
                << c.format;
    }
}

TEST(LocaleFormats, ThousandsSeparatorStaysOneByte) {
    struct Case {
        const char* separator;
        char expected;
    };
    const Case cases[] = {
        {nullptr, ','},  {"", ','},        {".", '.'},
        {",", ','},      {"'", '\''},      {"\u00a0", ' '},  // no-break space
        {"\u202f", ' '}, {"\u2019", '\''},                   // narrow no-break space, apostrophe
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LocaleFormats::FromPosix(nullptr, nullptr, c.separator).ThousandSeparator,
                  c.expected)
            << (c.separator ? c.separator : "(null)");
    }
}

TEST(LocaleFormats, MissingItemsKeepTheDefaults) {
    const LocaleFormats defaults;
    const LocaleFormats formats = LocaleFormats::FromPosix(nullptr, "", nullptr);
    EXPECT_EQ(formats.ShortDateFormat, defaults.ShortDateFormat);
    EXPECT_EQ(formats.LongTimeFormat, defaults.LongTimeFormat);
    EXPECT_EQ(formats.DateSeparator, '/');
    EXPECT_EQ(formats.TimeSeparator, ':');
    EXPECT_EQ(formats.ThousandSeparator, ',');
}

TEST(LocaleFormats, SystemFormatsOfTheCLocale) {
    // Nothing in this process calls setlocale, so the system is the C locale.
    const LocaleFormats formats = LocaleFormats::FromSystem();
    EXPECT_EQ(formats.ShortDateFormat, "mm/dd/yy");
    EXPECT_EQ(formats.LongTimeFormat, "hh:nn:ss");
    EXPECT_EQ(formats.DateSeparator, '/');
    EXPECT_EQ(formats.TimeSeparator, ':');
    EXPECT_EQ(formats.ThousandSeparator, ',');
}

}  // namespace
}  // namespace vorlanex
