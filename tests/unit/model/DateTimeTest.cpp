#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "model/DateTime.h"
#include "model/LocaleFormats.h"

namespace vorlanex {
namespace {

LocaleFormats separators(char date, char time) {
    LocaleFormats locale;
    locale.DateSeparator = date;
    locale.TimeSeparator = time;
    return locale;
}

DateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    DateTime value;
    value.Year = year;
    value.Month = month;
    value.Day = day;
    value.Hour = hour;
    value.Minute = minute;
    value.Second = second;
    return value;
}

TEST(FormatDateTime, ExportPatterns) {
    struct Case {
        const char* pattern;
        DateTime value;
        char dateSeparator;
        char timeSeparator;
        const char* expected;
    };
    const DateTime afternoon = at(2011, 3, 5, 14, 7, 9);
    const Case cases[] = {
        {"yyyy/mm/dd h:nn:ss am/pm", afternoon, '/', ':', "2011/03/05 2:07:09 pm"},
        {"yyyy/mm/dd h:nn:ss am/pm", at(2011, 3, 5, 0, 0, 1), '/', ':', "2011/03/05 12:00:01 am"},
        {"yyyy/mm/dd h:nn:ss am/pm", at(2011, 3, 5, 12, 30), '/', ':', "2011/03/05 12:30:00 pm"},
        {"yyyy/mm/dd h:nn:ss am/pm", at(2011, 3, 5, 13), '/', ':', "2011/03/05 1:00:00 pm"},
        {"yyyy/mm/dd h:nn:ss am/pm", at(2011, 3, 5, 11, 59, 59), '/', ':',
         "2011/03/05 11:59:59 am"},
        {"yyyy-mm-dd hh:nn:ss", afternoon, '/', ':', "2011-03-05 14:07:09"},
        {"yyyy-mm-dd hh:nn:ss", at(2011, 3, 5, 0, 5), '.', '.', "2011-03-05 00.05.00"},
        {"yyyy/mm/dd hh:nn:ss", afternoon, '/', ':', "2011/03/05 14:07:09"},
        {"mm/dd/yyyy", afternoon, '/', ':', "03/05/2011"},
        {"yyyy/mm/dd", DateTime{}, '/', ':', "1899/12/30"},
        // The locale's separators take the places of "/" and ":"; "-" and blanks stay.
        {"yyyy/mm/dd h:nn:ss am/pm", afternoon, '.', '.', "2011.03.05 2.07.09 pm"},
        {"mm/dd/yyyy", afternoon, '-', ':', "03-05-2011"},
        {"d/m/yy h:n:s AM/PM", at(2009, 1, 2, 23, 4, 5), '/', ':', "2/1/09 11:4:5 PM"},
        {"yyyy 'at' hh\"h\"", afternoon, '/', ':', "2011 at 14h"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDateTime(c.pattern, c.value, separators(c.dateSeparator, c.timeSeparator)),
                  c.expected)
            << c.pattern;
    }
}

TEST(ParseLocaleDateTime, ReadsDatesWithOptionalTimes) {
    struct Case {
        const char* text;
        const char* shortDate;
        char separator;
        std::optional<DateTime> expected;
    };
    const Case cases[] = {
        {"03/05/2011", "mm/dd/yyyy", '/', at(2011, 3, 5)},
        {"3/5/2011 14:07:09", "mm/dd/yyyy", '/', at(2011, 3, 5, 14, 7, 9)},
        {"05.03.2011 14:07", "dd/mm/yyyy", '.', at(2011, 3, 5, 14, 7)},
        // The export's own year-first patterns read back under any order.
        {"2011/03/05 2:07:09 pm", "mm/dd/yyyy", '/', at(2011, 3, 5, 14, 7, 9)},
        {"2011/03/05 12:00:00 am", "dd/mm/yyyy", '/', at(2011, 3, 5, 0, 0, 0)},
        {"2011/03/05 12:15 PM", "mm/dd/yyyy", '/', at(2011, 3, 5, 12, 15)},
        {"2011/03/05 1pm", "mm/dd/yyyy", '/', at(2011, 3, 5, 13)},
        {"3/5/49", "mm/dd/yy", '/', at(2049, 3, 5)},
        {"3/5/50", "mm/dd/yy", '/', at(1950, 3, 5)},
        {"2/29/2012", "mm/dd/yyyy", '/', at(2012, 2, 29)},
        {"2/29/2011", "mm/dd/yyyy", '/', std::nullopt},
        {"2/29/1900", "mm/dd/yyyy", '/', std::nullopt},
        {"2/29/2000", "mm/dd/yyyy", '/', at(2000, 2, 29)},
        {"13/05/2011", "mm/dd/yyyy", '/', std::nullopt},
        {"05/13/2011", "dd/mm/yyyy", '/', std::nullopt},
        {"2011-03-05", "mm/dd/yyyy", '/', std::nullopt},  // not the locale's separator
        {"", "mm/dd/yyyy", '/', std::nullopt},
        {"soon", "mm/dd/yyyy", '/', std::nullopt},
        {"3/5/2011 x", "mm/dd/yyyy", '/', std::nullopt},
        {"3/5/2011 24:00", "mm/dd/yyyy", '/', std::nullopt},
        {"3/5/2011 10:60", "mm/dd/yyyy", '/', std::nullopt},
        {"3/5/2011 13:00 pm", "mm/dd/yyyy", '/', std::nullopt},
        {"3/5/2011 10:00 pmx", "mm/dd/yyyy", '/', std::nullopt},
        {"3/5/99999999999", "mm/dd/yyyy", '/', std::nullopt},
    };
    for (const auto& c : cases) {
        LocaleFormats locale = separators(c.separator, ':');
        locale.ShortDateFormat = c.shortDate;
        EXPECT_EQ(ParseLocaleDateTime(c.text, locale), c.expected) << '"' << c.text << '"';
    }
}

TEST(ParseLocaleDateTime, DayAndMonthAloneTakeTheCurrentYear) {
    const auto value = ParseLocaleDateTime("5.3", separators('.', ':'));
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->Month, 5);
    EXPECT_EQ(value->Day, 3);
    EXPECT_EQ(value->Year, DateTime::Now().Year);
}

TEST(FormatDateTime, WhatItWritesReadsBack) {
    const LocaleFormats locale = separators('.', ':');
    for (const DateTime& value :
         {at(2011, 3, 5, 14, 7, 9), at(1999, 12, 31, 0, 0, 0), at(2024, 2, 29, 12, 0, 59)}) {
        const std::string text = FormatDateTime("yyyy/mm/dd h:nn:ss am/pm", value, locale);
        EXPECT_EQ(ParseLocaleDateTime(text, locale), value) << text;
    }
}

}  // namespace
}  // namespace vorlanex
