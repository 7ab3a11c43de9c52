#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "db/Database.h"
#include "model/DatabaseEngine.h"
#include "model/LocaleFormats.h"
#include "model/SchemaModel.h"
#include "model/SharedRecords.h"
#include "model/TypeCatalogue.h"

namespace vorlanex {

inline constexpr std::string_view kLineEnd = "\r\n";
inline constexpr std::size_t kSeparatorLength = 101;

inline constexpr std::string_view kOracleHeaderComment = "-- For Oracle Database";
inline constexpr std::string_view kOracleHeaderStatement =
    "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY/MM/DD';";
inline constexpr std::string_view kSqlServerHeaderComment = "-- For MS SQL Server Database";
inline constexpr std::string_view kSqlServerHeaderStatement = "SET DATEFORMAT 'YMD';";
inline constexpr std::string_view kSybaseHeaderComment = "-- For Sybase and Sybase SQL Anywhere";
inline constexpr std::string_view kSybaseHeaderStatement = "SET OPTION DATE_FORMAT = 'YYYY/MM/DD';";
inline constexpr std::string_view kPostgreSQLHeaderComment = "-- For PostgreSQL Database";
inline constexpr std::string_view kPostgreSQLHeaderStatement = "SET DateStyle = 'ISO, YMD';";

// %s stands for the replacement text.
inline constexpr std::string_view kInvalidDateTimeMessage = "''%s'' is not a valid date and time";

// A replacement value of a date or time field that cannot be read as a date and time.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// 101 hyphens.
std::string SeparatorLine();

// The destination's date-format block: four lines joined by CR LF, no line end after the last;
// empty for engines that need none.
std::string DateFormatHeader(std::uint8_t engine);

std::string DateFormatFor(std::uint8_t engine);
std::string DateTimeFormatFor(std::uint8_t engine);

// Flag 0 wraps the name in square brackets, any other flag in double quotes. Nothing inside
// the name is escaped.
void QuoteIdentifier(std::string& name, std::uint8_t bracketFlag);

// The name as an engine's statements need it: unchanged unless it contains a blank; then in
// backticks for MySQL and as QuoteIdentifier with the engine value for every other engine.
std::string QuoteName(std::string_view name, DatabaseEngine engine);

struct ColumnLists {
    std::string SelectText;
    std::string InsertHead;
};

// The SELECT sent to the source (names quoted for SourceEngine) and the start of every INSERT
// line of the table (names quoted for DBEngine).
ColumnLists BuildColumnLists(const TZTTable& table, const TConnInfo& connInfo);

// Writes the " VALUES (...);" part of an INSERT line for the rows of one table. What does not
// change from row to row (the field found for each column, the settings' fixed texts, how a
// column's value is written) is worked out once, at the first row.
class TRowValueText {
public:
    TRowValueText(const TZTTable& table, DatabaseEngine destination, LocaleFormats locale);

    // Appends to out. Throws ConversionError for a date replacement that cannot be read.
    void Append(const db::IRow& row, std::string& out);

private:
    enum class Source : std::uint8_t {
        Trimmed,   // codes 1, 16, 23, 24
        Date,      // code 9
        DateTime,  // codes 11, 36
        Time,      // code 10
        Binary,    // codes 12, 13, 15 and columns whose values arrive as bytes
        Guid,      // code 35
        Boolean,   // code 5
        Plain,     // every other code
    };
    enum class Setting : std::uint8_t { None, Fixed, InvalidDate };

    struct Column {
        Source From = Source::Plain;
        Setting Use = Setting::None;
        std::string Text;  // the fixed value text, or the replacement that cannot be read
    };

    struct Token {
        enum Kind : std::uint8_t { Year, ShortYear, Month, Day, Hour, Minute, Second, AmPm, Char };
        Kind What;
        char Arg;  // the digit count, or the character itself
    };
    struct Pattern {
        std::vector<Token> Tokens;
        bool TwelveHour = false;
    };

    void prepare(const db::IRow& row);
    void appendLiteral(std::string& out, std::string_view text) const;
    void appendHex(std::string& out, std::string_view bytes) const;
    void appendPattern(std::string& out, const Pattern& pattern, const DateTime& value) const;
    Pattern compile(std::string_view pattern, char dateSeparator, char timeSeparator) const;

    const TZTTable& m_table;
    DatabaseEngine m_engine;
    LocaleFormats m_locale;
    Pattern m_date;
    Pattern m_dateTime;
    Pattern m_time;
    std::vector<Column> m_columns;
    bool m_prepared = false;
};

// Appends "DELETE FROM <table>;" with its line end to the script file named by FileName.
// Returns false, writing nothing, when no table is given. Throws FileError when the file
// cannot be opened or written.
bool WriteDeleteStatement(const TZTTable* table, const TConnInfo& connInfo);

// True when the line, trimmed of characters 0 to 32, starts with "--".
bool IsCommentLine(std::string_view line) noexcept;

}  // namespace vorlanex
