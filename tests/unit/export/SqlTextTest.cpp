#include "export/SqlText.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "FakeRow.h"
#include "export/ScriptFile.h"
#include "model/DateTime.h"

namespace vorlanex {
namespace {

using testing::FakeColumn;
using testing::FakeRow;

constexpr std::uint8_t kAccess = 0, kDB2 = 1, kMSSQL = 2, kOracle = 3, kSQLAnywhere = 4,
                       kSybase = 5, kPostgreSQL = 6, kMySQL = 7, kSQLite = 8;

DatabaseEngine engine(std::uint8_t value) {
    return EngineFromValue(value);
}

TConnInfo connInfo(std::uint8_t source, std::uint8_t destination) {
    TConnInfo info;
    info.SourceEngine = engine(source);
    info.DBEngine = engine(destination);
    return info;
}

TZTField& addField(TZTTable& table, const std::string& name) {
    TZTField& field = table.AddField();
    field.FieldName = name;
    return field;
}

// The whole INSERT line as the export writes it for one row.
std::string insertLine(const TZTTable& table, const TConnInfo& info, const db::IRow& row,
                       const LocaleFormats& locale = {}) {
    std::string line = BuildColumnLists(table, info).InsertHead;
    TRowValueText values(table, info.DBEngine, locale);
    values.Append(row, line);
    return line;
}

// The value text of a single column c, as it stands between " VALUES (" and ");".
std::string valueText(std::uint8_t destination, const FakeColumn& column,
                      const TZTField* settings = nullptr, const LocaleFormats& locale = {}) {
    TZTTable table;
    table.TableName = "t";
    TZTField& field = addField(table, column.Name);
    if (settings) {
        field.ClearValue = settings->ClearValue;
        field.Nullable = settings->Nullable;
        field.ReplacementValue = settings->ReplacementValue;
    }
    FakeRow row({column});
    std::string out;
    TRowValueText values(table, engine(destination), locale);
    values.Append(row, out);
    const std::string_view head = " VALUES (";
    EXPECT_EQ(out.substr(0, head.size()), head);
    EXPECT_EQ(out.substr(out.size() - 2), ");");
    return out.substr(head.size(), out.size() - head.size() - 2);
}

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "sqltext-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(m_path); }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ScriptFormat, SeparatorAndHeaderBlocks) {
    EXPECT_EQ(SeparatorLine(), std::string(101, '-'));

    const std::string sep = SeparatorLine();
    auto block = [&](const char* comment, const char* statement) {
        return sep + "\r\n" + comment + "\r\n" + statement + "\r\n" + sep;
    };
    const std::string sybase =
        block("-- For Sybase and Sybase SQL Anywhere", "SET OPTION DATE_FORMAT = 'YYYY/MM/DD';");
    const struct {
        std::uint8_t Engine;
        std::string Header;
    } cases[] = {
        {kAccess, ""},
        {kDB2, ""},
        {kMSSQL, block("-- For MS SQL Server Database", "SET DATEFORMAT 'YMD';")},
        {kOracle,
         block("-- For Oracle Database", "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY/MM/DD';")},
        {kSQLAnywhere, sybase},
        {kSybase, sybase},
        {kPostgreSQL, block("-- For PostgreSQL Database", "SET DateStyle = 'ISO, YMD';")},
        {kMySQL, ""},
        {kSQLite, ""},
        {9, ""},
        {255, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateFormatHeader(c.Engine), c.Header) << int(c.Engine);
}

TEST(ScriptFormat, DatePatternsPerEngine) {
    const struct {
        std::uint8_t Engine;
        const char* Date;
        const char* DateTime;
    } cases[] = {
        {kAccess, "yyyy/mm/dd", "yyyy/mm/dd h:nn:ss am/pm"},
        {kDB2, "yyyy-mm-dd", "yyyy-mm-dd hh:nn:ss"},
        {kMSSQL, "yyyy/mm/dd", "yyyy/mm/dd h:nn:ss am/pm"},
        {kOracle, "yyyy/mm/dd", "yyyy/mm/dd hh:nn:ss"},
        {kSQLAnywhere, "yyyy/mm/dd", "yyyy/mm/dd h:nn:ss am/pm"},
        {kSybase, "yyyy/mm/dd", "yyyy/mm/dd h:nn:ss am/pm"},
        {kPostgreSQL, "yyyy-mm-dd", "yyyy-mm-dd hh:nn:ss"},
        {kMySQL, "yyyy-mm-dd", "yyyy-mm-dd hh:nn:ss"},
        {kSQLite, "yyyy-mm-dd", "yyyy-mm-dd hh:nn:ss"},
        {9, "mm/dd/yyyy", "mm/dd/yyyy"},
        {255, "mm/dd/yyyy", "mm/dd/yyyy"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DateFormatFor(c.Engine), c.Date) << int(c.Engine);
        EXPECT_EQ(DateTimeFormatFor(c.Engine), c.DateTime) << int(c.Engine);
    }
}

TEST(ScriptFormat, CommentLines) {
    const struct {
        const char* Line;
        bool Comment;
    } cases[] = {
        {"--", true},   {"-- Table: a", true}, {" \t\x01-- Delete Records ", true},
        {"-", false},   {"", false},           {"  \t ", false},
        {"- -", false}, {"a -- b", false},     {"INSERT INTO t(a) VALUES ('--');", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsCommentLine(c.Line), c.Comment) << c.Line;
}

TEST(Quoting, QuoteIdentifierWrapsWithoutEscaping) {
    const struct {
        std::uint8_t Flag;
        const char* Name;
        const char* Quoted;
    } cases[] = {
        {0, "order lines", "[order lines]"},
        {0, "a]b", "[a]b]"},
        {1, "a\"b", "\"a\"b\""},
        {255, "x", "\"x\""},
    };
    for (const auto& c : cases) {
        std::string name = c.Name;
        QuoteIdentifier(name, c.Flag);
        EXPECT_EQ(name, c.Quoted);
    }
}

// The source engine quotes the SELECT, the destination engine the INSERT and DELETE lines.
TEST(Quoting, SourceAndDestinationRulesApplyIndependently) {
    const struct {
        std::uint8_t Source, Destination;
        const char* Select;
        const char* Head;
        const char* Delete;
    } cases[] = {
        {kAccess, kAccess, "SELECT [line no] FROM [order lines]",
         "INSERT INTO [order lines]([line no])", "DELETE FROM [order lines];"},
        {kAccess, kMSSQL, "SELECT [line no] FROM [order lines]",
         "INSERT INTO \"order lines\"(\"line no\")", "DELETE FROM \"order lines\";"},
        {kMySQL, kPostgreSQL, "SELECT `line no` FROM `order lines`",
         "INSERT INTO \"order lines\"(\"line no\")", "DELETE FROM \"order lines\";"},
        {kSQLite, kMySQL, "SELECT \"line no\" FROM \"order lines\"",
         "INSERT INTO `order lines`(`line no`)", "DELETE FROM `order lines`;"},
        {255, 9, "SELECT \"line no\" FROM \"order lines\"",
         "INSERT INTO \"order lines\"(\"line no\")", "DELETE FROM \"order lines\";"},
    };
    for (const auto& c : cases) {
        TZTTable table;
        table.TableName = "order lines";
        addField(table, "line no");
        TempFolder folder;
        TConnInfo info = connInfo(c.Source, c.Destination);
        info.FileName = (folder.path() / "script.sql").string();

        const ColumnLists lists = BuildColumnLists(table, info);
        EXPECT_EQ(lists.SelectText, c.Select);
        EXPECT_EQ(lists.InsertHead, c.Head);
        FakeRow row({{"line no", FieldType::Integer, "1"}});
        EXPECT_EQ(insertLine(table, info, row), std::string(c.Head) + " VALUES (1);");
        ASSERT_TRUE(WriteDeleteStatement(&table, info));
        EXPECT_EQ(readFile(info.FileName), std::string(c.Delete) + "\r\n");
    }
}

TEST(ColumnLists, ExportedFieldsOnlyAndNamesWithoutBlankUnquoted) {
    const TConnInfo info = connInfo(kOracle, kAccess);
    TZTTable table;
    table.TableName = "t";
    addField(table, "first").Export = false;
    addField(table, "second");
    addField(table, "a]b");
    addField(table, "c\"d");
    ColumnLists lists = BuildColumnLists(table, info);
    EXPECT_EQ(lists.SelectText, "SELECT second, a]b, c\"d FROM t");
    EXPECT_EQ(lists.InsertHead, "INSERT INTO t(second, a]b, c\"d)");

    for (int i = 0; i < table.FieldCount(); ++i)
        table.GetField(i)->Export = false;
    lists = BuildColumnLists(table, info);
    EXPECT_EQ(lists.SelectText, "SELECT  FROM t");
    EXPECT_EQ(lists.InsertHead, "INSERT INTO t)");
}

class WorkedExample : public ::testing::Test {
protected:
    WorkedExample() {
        table.TableName = "t";
        addField(table, "id");
        addField(table, "name");
    }
    TZTField& id() { return *table.FindField("id"); }
    TZTField& name() { return *table.FindField("name"); }
    std::string line(std::optional<std::string> idText, std::optional<std::string> nameText) {
        FakeRow row({{"id", FieldType::Integer, idText}, {"name", FieldType::String, nameText}});
        return insertLine(table, info, row);
    }

    TZTTable table;
    TConnInfo info = connInfo(kOracle, kOracle);
};

TEST_F(WorkedExample, ListsAndPlainRows) {
    const ColumnLists lists = BuildColumnLists(table, info);
    EXPECT_EQ(lists.SelectText, "SELECT id, name FROM t");
    EXPECT_EQ(lists.InsertHead, "INSERT INTO t(id, name)");
    EXPECT_EQ(line("1", "Smith"), "INSERT INTO t(id, name) VALUES (1, 'Smith');");
    EXPECT_EQ(line("2", std::nullopt), "INSERT INTO t(id, name) VALUES (2, NULL);");
    EXPECT_EQ(line("3", " O'Brien "), "INSERT INTO t(id, name) VALUES (3, 'O''Brien');");

    id().Export = false;
    const ColumnLists nameOnly = BuildColumnLists(table, info);
    EXPECT_EQ(nameOnly.SelectText, "SELECT name FROM t");
    EXPECT_EQ(nameOnly.InsertHead, "INSERT INTO t(name)");
}

TEST_F(WorkedExample, FieldSettings) {
    name().ClearValue = true;
    EXPECT_EQ(line("1", "Smith"), "INSERT INTO t(id, name) VALUES (1, '');");
    name().Nullable = true;
    EXPECT_EQ(line("1", "Smith"), "INSERT INTO t(id, name) VALUES (1, NULL);");
    name().ClearValue = false;
    name().Nullable = false;

    id().ClearValue = true;
    EXPECT_EQ(line("1", "Smith"), "INSERT INTO t(id, name) VALUES (0, 'Smith');");
    id().ClearValue = false;
    id().ReplacementValue = "99";
    EXPECT_EQ(line("1", "Smith"), "INSERT INTO t(id, name) VALUES (99, 'Smith');");
    id().ReplacementValue.clear();

    name().ReplacementValue = "Jones";
    EXPECT_EQ(line("1", std::nullopt), "INSERT INTO t(id, name) VALUES (1, 'Jones');");
}

TEST_F(WorkedExample, DeleteLineAppendsToTheScript) {
    TempFolder folder;
    info.FileName = (folder.path() / "script.sql").string();
    { std::ofstream(info.FileName, std::ios::binary) << "-- header\r\n"; }
    EXPECT_FALSE(WriteDeleteStatement(nullptr, info));
    EXPECT_TRUE(WriteDeleteStatement(&table, info));
    EXPECT_EQ(readFile(info.FileName), "-- header\r\nDELETE FROM t;\r\n");
}

TEST_F(WorkedExample, OneWriterServesEveryRowOfTheTable) {
    TRowValueText values(table, info.DBEngine, {});
    FakeRow row({{"ID", FieldType::Integer, "1"}, {"Name", FieldType::String, "Smith"}});
    name().ReplacementValue = "Jones";
    std::string out = "A";
    values.Append(row, out);
    row[0].Text = "2";
    row[1].Text = std::nullopt;
    values.Append(row, out);
    // The column names are looked up as a to z upper-cased, so the replacement applies.
    EXPECT_EQ(out, "A VALUES (1, 'Jones'); VALUES (2, 'Jones');");
}

TEST(WriteDelete, UnwritableScriptRaisesNamingTheFile) {
    TZTTable table;
    table.TableName = "t";
    TConnInfo info = connInfo(kOracle, kOracle);
    info.FileName = "/nonexistent-folder/script.sql";
    try {
        WriteDeleteStatement(&table, info);
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find(info.FileName), std::string::npos);
    }
    // A full disk shows only when the data is flushed.
    info.FileName = "/dev/full";
    EXPECT_THROW(WriteDeleteStatement(&table, info), FileError);
}

TEST(ValueText, DatesPerEngineAndLocale) {
    const DateTime afternoon{2011, 3, 5, 14, 7, 9};
    const DateTime midnight{2011, 3, 5, 0, 5, 0};
    const DateTime noon{2011, 3, 5, 12, 0, 0};
    const DateTime pureTime{1899, 12, 30, 10, 4, 5};
    const LocaleFormats slashes;
    LocaleFormats dots;
    dots.DateSeparator = '.';
    dots.TimeSeparator = '.';
    const struct {
        std::uint8_t Engine;
        const LocaleFormats& Locale;
        FieldType Type;
        DateTime Value;
        const char* Text;
    } cases[] = {
        {kAccess, slashes, FieldType::DateTime, afternoon, "'2011/03/05 2:07:09 pm'"},
        {kMSSQL, slashes, FieldType::TimeStamp, afternoon, "'2011/03/05 2:07:09 pm'"},
        {kSQLAnywhere, slashes, FieldType::DateTime, midnight, "'2011/03/05 12:05:00 am'"},
        {kSybase, slashes, FieldType::DateTime, noon, "'2011/03/05 12:00:00 pm'"},
        {kDB2, slashes, FieldType::DateTime, afternoon, "'2011-03-05 14:07:09'"},
        {kOracle, slashes, FieldType::DateTime, afternoon, "'2011/03/05 14:07:09'"},
        {255, slashes, FieldType::DateTime, afternoon, "'03/05/2011'"},
        {9, slashes, FieldType::TimeStamp, afternoon, "'03/05/2011'"},
        {kAccess, slashes, FieldType::Date, afternoon, "'2011/03/05'"},
        {kDB2, slashes, FieldType::Date, afternoon, "'2011-03-05'"},
        {255, slashes, FieldType::Date, afternoon, "'03/05/2011'"},
        {kAccess, dots, FieldType::DateTime, afternoon, "'2011.03.05 2.07.09 pm'"},
        {kDB2, dots, FieldType::DateTime, afternoon, "'2011-03-05 14.07.09'"},
        {255, dots, FieldType::Date, afternoon, "'03.05.2011'"},
        // The open-source engines read ISO text, whatever the locale's separators.
        {kPostgreSQL, dots, FieldType::DateTime, afternoon, "'2011-03-05 14:07:09'"},
        {kMySQL, dots, FieldType::TimeStamp, midnight, "'2011-03-05 00:05:00'"},
        {kSQLite, dots, FieldType::Date, afternoon, "'2011-03-05'"},
        // A time is written as the time it holds, not as the base date.
        {kOracle, dots, FieldType::Time, pureTime, "'10:04:05'"},
        {kAccess, slashes, FieldType::Time, afternoon, "'14:07:09'"},
        {kSQLite, slashes, FieldType::Time, pureTime, "'10:04:05'"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(valueText(c.Engine, {"c", c.Type, "x", c.Value}, nullptr, c.Locale), c.Text)
            << int(c.Engine) << " " << c.Text;
    }
}

std::string quoted(const std::string& text) {
    std::string literal(1, '\'');
    literal.append(text).push_back('\'');
    return literal;
}

// The writer formats through a pattern compiled once per table; it must agree with the
// program's general date formatting for every engine's patterns.
TEST(ValueText, DatesAgreeWithFormatDateTime) {
    LocaleFormats odd;
    odd.DateSeparator = '-';
    odd.TimeSeparator = '.';
    const DateTime values[] = {
        {1, 1, 1, 0, 0, 0}, {1999, 12, 31, 23, 59, 59}, {2024, 2, 29, 11, 5, 7}};
    for (const LocaleFormats& locale : {LocaleFormats{}, odd}) {
        for (std::uint8_t e : {kAccess, kDB2, kMSSQL, kOracle, kSQLAnywhere, kSybase,
                               std::uint8_t{9}, std::uint8_t{255}}) {
            for (const DateTime& value : values) {
                EXPECT_EQ(valueText(e, {"c", FieldType::DateTime, "x", value}, nullptr, locale),
                          quoted(FormatDateTime(DateTimeFormatFor(e), value, locale)));
                EXPECT_EQ(valueText(e, {"c", FieldType::Date, "x", value}, nullptr, locale),
                          quoted(FormatDateTime(DateFormatFor(e), value, locale)));
            }
        }
    }
}

TEST(ValueText, SourceValuesByType) {
    const std::string bytes("\x00\x01\xAB\xFF", 4);
    const struct {
        std::uint8_t Engine;
        FakeColumn Column;
        const char* Text;
    } cases[] = {
        {kOracle, {"c", FieldType::FixedChar, "abc       "}, "'abc'"},
        {kOracle, {"c", FieldType::Memo, "\t note \r\n"}, "'note'"},
        {kOracle, {"c", FieldType::WideString, " it's "}, "'it''s'"},
        {kOracle, {"c", FieldType::String, "a\r\nb"}, "'a\r\nb'"},
        {kOracle, {"c", FieldType::String, "C:\\dir"}, "'C:\\dir'"},
        {kPostgreSQL, {"c", FieldType::String, "C:\\dir"}, "'C:\\dir'"},
        // MySQL reads the backslash as an escape.
        {kMySQL, {"c", FieldType::String, "C:\\dir\\'x"}, "'C:\\\\dir\\\\''x'"},
        {kMySQL, {"c", FieldType::Memo, "\\"}, "'\\\\'"},
        {kOracle, {"c", FieldType::Integer, "-42"}, "-42"},
        {kOracle, {"c", FieldType::Float, "-1.5E-7"}, "-1.5E-7"},
        {kOracle, {"c", FieldType::LargeInt, "9007199254740993"}, "9007199254740993"},
        {kOracle, {"c", FieldType::BCDBinary, "12.3400"}, "12.3400"},
        {kOracle, {"c", FieldType::AutoInc, "7"}, "7"},
        {kOracle, {"c", FieldType::Boolean, "True"}, "True"},
        {kSQLite, {"c", FieldType::Boolean, "False"}, "False"},
        // Text of a type without a literal form of its own is never written bare.
        {kOracle, {"c", FieldType::Unknown, "x'); DROP TABLE t; --"}, "'x''); DROP TABLE t; --'"},
        {kOracle, {"c", FieldType::Float, "inf"}, "'inf'"},
        {kOracle,
         {"c", FieldType::Guid, "{6F9619FF-8B86-D011-B42D-00C04FC964FF}"},
         "'{6F9619FF-8B86-D011-B42D-00C04FC964FF}'"},
        {kAccess, {"c", FieldType::Blob, bytes}, "X'0001ABFF'"},
        {kDB2, {"c", FieldType::Bytes, bytes}, "X'0001ABFF'"},
        {kMSSQL, {"c", FieldType::VarBytes, bytes}, "0x0001ABFF"},
        {kOracle, {"c", FieldType::Blob, bytes}, "HEXTORAW('0001ABFF')"},
        {kSQLAnywhere, {"c", FieldType::Blob, bytes}, "0x0001ABFF"},
        {kSybase, {"c", FieldType::Blob, bytes}, "0x0001ABFF"},
        {kPostgreSQL, {"c", FieldType::Blob, bytes}, "'\\x0001ABFF'::bytea"},
        {kMySQL, {"c", FieldType::Blob, bytes}, "X'0001ABFF'"},
        {kSQLite, {"c", FieldType::Blob, bytes}, "X'0001ABFF'"},
        {255, {"c", FieldType::Blob, bytes}, "X'0001ABFF'"},
        {kSQLite, {"c", FieldType::Blob, ""}, "X''"},
        {kMSSQL, {"c", FieldType::Bytes, ""}, "0x"},
        // Whatever its type, a value that arrives as bytes is written as bytes.
        {kSQLite, {"c", FieldType::Unknown, "\x01'", {}, true}, "X'0127'"},
        {kPostgreSQL, {"c", FieldType::String, "a", {}, true}, "'\\x61'::bytea"},
        {kOracle, {"c", FieldType::Blob, std::nullopt}, "NULL"},
        {kOracle, {"c", FieldType::Date, std::nullopt}, "NULL"},
        {kOracle, {"c", FieldType::Integer, std::nullopt}, "NULL"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(valueText(c.Engine, c.Column), c.Text) << int(c.Engine) << " " << c.Text;
    }
}

TEST(ValueText, ClearedValuePerType) {
    const struct {
        FieldType Type;
        const char* Text;
    } cases[] = {
        {FieldType::String, "''"},      {FieldType::FixedChar, "''"},
        {FieldType::WideString, "''"},  {FieldType::Memo, "''"},
        {FieldType::Date, "NULL"},      {FieldType::Time, "NULL"},
        {FieldType::DateTime, "NULL"},  {FieldType::TimeStamp, "NULL"},
        {FieldType::SmallInt, "0"},     {FieldType::Integer, "0"},
        {FieldType::Word, "0"},         {FieldType::Float, "0"},
        {FieldType::Currency, "0"},     {FieldType::LargeInt, "0"},
        {FieldType::Boolean, "False"},  {FieldType::AutoInc, "NULL"},
        {FieldType::Blob, "NULL"},      {FieldType::Guid, "NULL"},
        {FieldType::BCDBinary, "NULL"}, {FieldType::Unknown, "NULL"},
    };
    for (const auto& c : cases) {
        TZTField settings;
        settings.ClearValue = true;
        settings.ReplacementValue = "99";  // ignored while the value is cleared
        EXPECT_EQ(valueText(kOracle, {"c", c.Type, "5"}, &settings), c.Text)
            << FieldTypeName(c.Type);
        settings.Nullable = true;
        EXPECT_EQ(valueText(kOracle, {"c", c.Type, "5"}, &settings), "NULL")
            << FieldTypeName(c.Type);
    }
}

TEST(ValueText, ReplacementPerType) {
    const struct {
        std::uint8_t Engine;
        FieldType Type;
        const char* Replacement;
        const char* Text;
    } cases[] = {
        {kOracle, FieldType::String, "  Jones \t", "'Jones'"},
        {kOracle, FieldType::FixedChar, "O'Neil", "'O''Neil'"},
        {kMySQL, FieldType::WideString, "a\\b", "'a\\\\b'"},
        // Typed as SQL: neither trimmed nor quoted.
        {kOracle, FieldType::Memo, "  'a' || 'b' ", "  'a' || 'b' "},
        {kOracle, FieldType::Integer, " 1+1", " 1+1"},
        {kOracle, FieldType::Blob, "EMPTY_BLOB()", "EMPTY_BLOB()"},
        // Read in the short date order, written with the date-time pattern for all four codes.
        {kOracle, FieldType::Date, " 03/05/2011 ", "'2011/03/05 00:00:00'"},
        {kOracle, FieldType::DateTime, "03/05/2011 2:07:09 pm", "'2011/03/05 14:07:09'"},
        {kAccess, FieldType::Time, "03/05/2011 10:00", "'2011/03/05 10:00:00 am'"},
        {kPostgreSQL, FieldType::TimeStamp, "3/5/11 14:07", "'2011-03-05 14:07:00'"},
        {255, FieldType::DateTime, "03/05/2011 14:07:09", "'03/05/2011'"},
        // A blank replacement leaves the source value, a date field's too: nothing is read.
        {kOracle, FieldType::String, " \t ", "'src'"},
        {kOracle, FieldType::DateTime, " \x01 ", "'1899/12/30 00:00:00'"},
    };
    for (const auto& c : cases) {
        TZTField settings;
        settings.ReplacementValue = c.Replacement;
        EXPECT_EQ(valueText(c.Engine, {"c", c.Type, "src"}, &settings), c.Text) << c.Text;
    }
}

// A column that no field of the table names keeps its source value, whatever the other
// fields' settings.
TEST(ValueText, ColumnWithoutAFieldKeepsTheSourceValue) {
    TZTTable table;
    table.TableName = "t";
    addField(table, "other").ClearValue = true;
    addField(table, "d").ReplacementValue = "not a date";
    FakeRow row({{"c", FieldType::String, " x "}, {"dd", FieldType::Date, "x", {2011, 3, 5}}});
    std::string out;
    TRowValueText values(table, DatabaseEngine::Oracle, LocaleFormats{});
    values.Append(row, out);
    EXPECT_EQ(out, " VALUES ('x', '2011/03/05');");
}

TEST(ValueText, UnreadableDateReplacementRaisesWhenARowIsWritten) {
    TZTTable table;
    table.TableName = "t";
    addField(table, "d").ReplacementValue = " 31/12/2011 ";
    // Nothing is raised for a table whose rows never come.
    TRowValueText values(table, DatabaseEngine::Oracle, LocaleFormats{});
    FakeRow row({{"d", FieldType::Date, std::nullopt}});
    std::string out;
    try {
        values.Append(row, out);
        FAIL() << "no error";
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "''31/12/2011'' is not a valid date and time");
    }
    LocaleFormats dayFirst;
    dayFirst.ShortDateFormat = "dd/mm/yyyy";
    EXPECT_EQ(
        valueText(kOracle, {"d", FieldType::Date, std::nullopt}, table.FindField("d"), dayFirst),
        "'2011/12/31 00:00:00'");
}

}  // namespace
}  // namespace vorlanex
