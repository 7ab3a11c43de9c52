#include "export/SqlText.h"

#include "export/ScriptFile.h"
#include "model/DateTime.h"
#include "model/NameCompare.h"

namespace vorlanex {

namespace {

constexpr std::string_view kDeleteFrom = "DELETE FROM ";
constexpr std::string_view kTimePattern = "hh:nn:ss";
constexpr char kHexDigits[] = "0123456789ABCDEF";

constexpr std::uint8_t kAccess = EngineValue(DatabaseEngine::Access);
constexpr std::uint8_t kDB2 = EngineValue(DatabaseEngine::DB2);
constexpr std::uint8_t kMSSQLServer = EngineValue(DatabaseEngine::MSSQLServer);
constexpr std::uint8_t kOracle = EngineValue(DatabaseEngine::Oracle);
constexpr std::uint8_t kSybaseSQLAnywhere = EngineValue(DatabaseEngine::SybaseSQLAnywhere);
constexpr std::uint8_t kSybase = EngineValue(DatabaseEngine::Sybase);
constexpr std::uint8_t kPostgreSQL = EngineValue(DatabaseEngine::PostgreSQL);
constexpr std::uint8_t kMySQL = EngineValue(DatabaseEngine::MySQL);
constexpr std::uint8_t kSQLite = EngineValue(DatabaseEngine::SQLite);

// The open-source engines get ISO dates whose "-" and ":" are what their SQL reads, never the
// locale's separators.
constexpr bool hasIsoDates(std::uint8_t engine) noexcept {
    return engine == kPostgreSQL || engine == kMySQL || engine == kSQLite;
}

std::string block(std::string_view comment, std::string_view statement) {
    const std::string separator = SeparatorLine();
    std::string text;
    text.reserve(2 * separator.size() + comment.size() + statement.size() + 3 * kLineEnd.size());
    text.append(separator).append(kLineEnd);
    text.append(comment).append(kLineEnd);
    text.append(statement).append(kLineEnd);
    text.append(separator);
    return text;
}

constexpr bool isDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

size_t skipDigits(std::string_view text, size_t pos) noexcept {
    while (pos < text.size() && isDigit(text[pos]))
        ++pos;
    return pos;
}

// A number as the database layer writes one: sign, digits, an optional fraction and exponent.
bool isPlainNumber(std::string_view text) noexcept {
    size_t pos = 0;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
        ++pos;
    const size_t intStart = pos;
    pos = skipDigits(text, pos);
    size_t digits = pos - intStart;
    if (pos < text.size() && text[pos] == '.') {
        const size_t fracStart = ++pos;
        pos = skipDigits(text, pos);
        digits += pos - fracStart;
    }
    if (digits == 0)
        return false;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
            ++pos;
        const size_t expStart = pos;
        pos = skipDigits(text, pos);
        if (pos == expStart)
            return false;
    }
    return pos == text.size();
}

void appendNumber(std::string& out, int value, int width) {
    char digits[16];
    int count = 0;
    unsigned magnitude =
        value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        out += '-';
    for (int i = count; i < width; ++i)
        out += '0';
    while (count > 0)
        out += digits[--count];
}

constexpr bool startsWith(std::string_view text, size_t pos, std::string_view word) noexcept {
    return text.substr(pos, word.size()) == word;
}

constexpr std::string_view kNull = "NULL";

// What a cleared field that may not be NULL writes.
constexpr std::string_view clearedText(FieldType type) noexcept {
    switch (type) {
        case FieldType::String:
        case FieldType::FixedChar:
        case FieldType::WideString:
        case FieldType::Memo:
            return "''";
        case FieldType::SmallInt:
        case FieldType::Integer:
        case FieldType::Word:
        case FieldType::Float:
        case FieldType::Currency:
        case FieldType::LargeInt:
            return "0";
        case FieldType::Boolean:
            return "False";
        // Dates, times and every type without an empty value of its own.
        default:
            return kNull;
    }
}

}  // namespace

std::string SeparatorLine() {
    return std::string(kSeparatorLength, '-');
}

std::string DateFormatHeader(std::uint8_t engine) {
    switch (engine) {
        case kOracle:
            return block(kOracleHeaderComment, kOracleHeaderStatement);
        case kMSSQLServer:
            return block(kSqlServerHeaderComment, kSqlServerHeaderStatement);
        case kSybaseSQLAnywhere:
        case kSybase:
            return block(kSybaseHeaderComment, kSybaseHeaderStatement);
        case kPostgreSQL:
            return block(kPostgreSQLHeaderComment, kPostgreSQLHeaderStatement);
        default:
            return {};
    }
}

std::string DateFormatFor(std::uint8_t engine) {
    if (engine == kDB2 || hasIsoDates(engine))
        return "yyyy-mm-dd";
    if (engine <= kSybase)
        return "yyyy/mm/dd";
    return "mm/dd/yyyy";
}

std::string DateTimeFormatFor(std::uint8_t engine) {
    switch (engine) {
        case kAccess:
        case kMSSQLServer:
        case kSybaseSQLAnywhere:
        case kSybase:
            return "yyyy/mm/dd h:nn:ss am/pm";
        case kDB2:
        case kPostgreSQL:
        case kMySQL:
        case kSQLite:
            return "yyyy-mm-dd hh:nn:ss";
        case kOracle:
            return "yyyy/mm/dd hh:nn:ss";
        default:
            return "mm/dd/yyyy";
    }
}

void QuoteIdentifier(std::string& name, std::uint8_t bracketFlag) {
    const bool brackets = bracketFlag == 0;
    name.insert(name.begin(), brackets ? '[' : '"');
    name.push_back(brackets ? ']' : '"');
}

std::string QuoteName(std::string_view name, DatabaseEngine engine) {
    std::string quoted(name);
    if (!ContainsText(name, " "))
        return quoted;
    if (engine == DatabaseEngine::MySQL) {
        quoted.insert(quoted.begin(), '`');
        quoted.push_back('`');
    } else {
        QuoteIdentifier(quoted, EngineValue(engine));
    }
    return quoted;
}

ColumnLists BuildColumnLists(const TZTTable& table, const TConnInfo& connInfo) {
    ColumnLists lists;
    lists.SelectText = "SELECT ";
    lists.InsertHead = "INSERT INTO " + QuoteName(table.TableName, connInfo.DBEngine);
    bool first = true;
    for (int i = 0; i < table.FieldCount(); ++i) {
        const TZTField* field = table.GetField(i);
        if (!field->Export)
            continue;
        lists.SelectText += first ? "" : ", ";
        lists.SelectText += QuoteName(field->FieldName, connInfo.SourceEngine);
        lists.InsertHead += first ? "(" : ", ";
        lists.InsertHead += QuoteName(field->FieldName, connInfo.DBEngine);
        first = false;
    }
    lists.SelectText += " FROM " + QuoteName(table.TableName, connInfo.SourceEngine);
    lists.InsertHead += ")";
    return lists;
}

TRowValueText::TRowValueText(const TZTTable& table, DatabaseEngine destination,
                             LocaleFormats locale)
    : m_table(table), m_engine(destination), m_locale(std::move(locale)) {
    const std::uint8_t engine = EngineValue(destination);
    const char timeSeparator = hasIsoDates(engine) ? ':' : m_locale.TimeSeparator;
    m_date = compile(DateFormatFor(engine), m_locale.DateSeparator, timeSeparator);
    m_dateTime = compile(DateTimeFormatFor(engine), m_locale.DateSeparator, timeSeparator);
    // A time literal is read by the SQL, so its ":" never follows the locale.
    m_time = compile(kTimePattern, m_locale.DateSeparator, ':');
}

TRowValueText::Pattern TRowValueText::compile(std::string_view pattern, char dateSeparator,
                                              char timeSeparator) const {
    Pattern compiled;
    compiled.TwelveHour = pattern.find("am/pm") != std::string_view::npos;
    auto add = [&](Token::Kind kind, int width) {
        compiled.Tokens.push_back({kind, static_cast<char>(width)});
    };
    size_t pos = 0;
    while (pos < pattern.size()) {
        const char c = pattern[pos];
        if (startsWith(pattern, pos, "am/pm")) {
            add(Token::AmPm, 0);
            pos += 5;
            continue;
        }
        size_t run = 1;
        while (pos + run < pattern.size() && pattern[pos + run] == c)
            ++run;
        switch (c) {
            case 'y':
                if (run >= 3)
                    add(Token::Year, 4);
                else
                    add(Token::ShortYear, 2);
                break;
            case 'm':
                add(Token::Month, run >= 2 ? 2 : 1);
                break;
            case 'd':
                add(Token::Day, run >= 2 ? 2 : 1);
                break;
            case 'h':
                add(Token::Hour, run >= 2 ? 2 : 1);
                break;
            case 'n':
                add(Token::Minute, run >= 2 ? 2 : 1);
                break;
            case 's':
                add(Token::Second, run >= 2 ? 2 : 1);
                break;
            default:
                for (size_t i = 0; i < run; ++i) {
                    const char literal = c == '/' ? dateSeparator : c == ':' ? timeSeparator : c;
                    compiled.Tokens.push_back({Token::Char, literal});
                }
                break;
        }
        pos += run;
    }
    return compiled;
}

void TRowValueText::appendPattern(std::string& out, const Pattern& pattern,
                                  const DateTime& value) const {
    for (const Token& token : pattern.Tokens) {
        switch (token.What) {
            case Token::Year:
                appendNumber(out, value.Year, token.Arg);
                break;
            case Token::ShortYear:
                appendNumber(out, value.Year % 100, token.Arg);
                break;
            case Token::Month:
                appendNumber(out, value.Month, token.Arg);
                break;
            case Token::Day:
                appendNumber(out, value.Day, token.Arg);
                break;
            case Token::Hour: {
                int hour = value.Hour;
                if (pattern.TwelveHour) {
                    hour %= 12;
                    if (hour == 0)
                        hour = 12;
                }
                appendNumber(out, hour, token.Arg);
                break;
            }
            case Token::Minute:
                appendNumber(out, value.Minute, token.Arg);
                break;
            case Token::Second:
                appendNumber(out, value.Second, token.Arg);
                break;
            case Token::AmPm:
                out += value.Hour < 12 ? "am" : "pm";
                break;
            case Token::Char:
                out += token.Arg;
                break;
        }
    }
}

void TRowValueText::appendLiteral(std::string& out, std::string_view text) const {
    // MySQL reads a backslash inside a literal as an escape, so it is doubled like the quote.
    // One pass over the text: find_first_of would search the set once per character.
    const bool backslash = m_engine == DatabaseEngine::MySQL;
    out += '\'';
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\'' || (backslash && c == '\\')) {
            out.append(text.data() + start, i + 1 - start);
            out += c;
            start = i + 1;
        }
    }
    out.append(text.data() + start, text.size() - start);
    out += '\'';
}

void TRowValueText::appendHex(std::string& out, std::string_view bytes) const {
    std::string_view prefix = "X'";
    std::string_view suffix = "'";
    switch (m_engine) {
        case DatabaseEngine::MSSQLServer:
        case DatabaseEngine::SybaseSQLAnywhere:
        case DatabaseEngine::Sybase:
            prefix = "0x";
            suffix = "";
            break;
        case DatabaseEngine::Oracle:
            prefix = "HEXTORAW('";
            suffix = "')";
            break;
        case DatabaseEngine::PostgreSQL:
            prefix = "'\\x";
            suffix = "'::bytea";
            break;
        default:
            break;
    }
    out.append(prefix);
    const size_t start = out.size();
    out.resize(start + 2 * bytes.size());
    char* digit = out.data() + start;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        *digit++ = kHexDigits[value >> 4];
        *digit++ = kHexDigits[value & 0x0F];
    }
    out.append(suffix);
}

void TRowValueText::prepare(const db::IRow& row) {
    const int count = row.FieldCount();
    m_columns.assign(static_cast<size_t>(count), Column{});
    for (int i = 0; i < count; ++i) {
        Column& column = m_columns[static_cast<size_t>(i)];
        const FieldType type = row.FieldTypeOf(i);
        switch (type) {
            case FieldType::String:
            case FieldType::Memo:
            case FieldType::FixedChar:
            case FieldType::WideString:
                column.From = Source::Trimmed;
                break;
            case FieldType::Date:
                column.From = Source::Date;
                break;
            case FieldType::DateTime:
            case FieldType::TimeStamp:
                column.From = Source::DateTime;
                break;
            case FieldType::Time:
                column.From = Source::Time;
                break;
            case FieldType::Bytes:
            case FieldType::VarBytes:
            case FieldType::Blob:
                column.From = Source::Binary;
                break;
            case FieldType::Guid:
                column.From = Source::Guid;
                break;
            case FieldType::Boolean:
                column.From = Source::Boolean;
                break;
            default:
                column.From = Source::Plain;
                break;
        }
        if (row.IsBinary(i))
            column.From = Source::Binary;

        const TZTField* field = m_table.FindField(row.FieldName(i));
        if (!field)
            continue;
        if (field->ClearValue) {
            column.Use = Setting::Fixed;
            column.Text = std::string(field->Nullable ? kNull : clearedText(type));
            continue;
        }
        if (IsBlank(field->ReplacementValue))
            continue;
        column.Use = Setting::Fixed;
        const std::string_view trimmed = TrimControl(field->ReplacementValue);
        switch (type) {
            case FieldType::String:
            case FieldType::FixedChar:
            case FieldType::WideString:
                appendLiteral(column.Text, trimmed);
                break;
            case FieldType::Date:
            case FieldType::Time:
            case FieldType::DateTime:
            case FieldType::TimeStamp: {
                const std::optional<DateTime> value = ParseLocaleDateTime(trimmed, m_locale);
                if (!value) {
                    // Raised when a row is written, not before: a table without rows exports.
                    column.Use = Setting::InvalidDate;
                    constexpr size_t kAt = kInvalidDateTimeMessage.find("%s");
                    column.Text.append(kInvalidDateTimeMessage.substr(0, kAt))
                        .append(trimmed)
                        .append(kInvalidDateTimeMessage.substr(kAt + 2));
                    break;
                }
                column.Text = '\'';
                appendPattern(column.Text, m_dateTime, *value);
                column.Text += '\'';
                break;
            }
            // Typed by the user for numbers, memos and the rest: it may be an SQL expression.
            default:
                column.Text = field->ReplacementValue;
                break;
        }
    }
    m_prepared = true;
}

void TRowValueText::Append(const db::IRow& row, std::string& out) {
    if (!m_prepared || static_cast<size_t>(row.FieldCount()) != m_columns.size())
        prepare(row);
    out.append(" VALUES (");
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (i > 0)
            out.append(", ");
        const Column& column = m_columns[i];
        if (column.Use == Setting::Fixed) {
            out.append(column.Text);
            continue;
        }
        if (column.Use == Setting::InvalidDate)
            throw ConversionError(column.Text);
        const int index = static_cast<int>(i);
        if (row.IsNull(index)) {
            out.append(kNull);
            continue;
        }
        switch (column.From) {
            case Source::Trimmed:
                appendLiteral(out, TrimControl(row.AsText(index)));
                break;
            case Source::Date:
            case Source::DateTime:
            case Source::Time: {
                const Pattern& pattern = column.From == Source::Date       ? m_date
                                         : column.From == Source::DateTime ? m_dateTime
                                                                           : m_time;
                out += '\'';
                appendPattern(out, pattern, row.AsDateTime(index));
                out += '\'';
                break;
            }
            case Source::Binary:
                appendHex(out, row.AsText(index));
                break;
            case Source::Guid:
                appendLiteral(out, row.AsText(index));
                break;
            case Source::Boolean:
            case Source::Plain: {
                // Numbers and True or False go in as they are; any other text is quoted so that
                // it can never end the statement early or add one of its own.
                const std::string_view text = row.AsText(index);
                const bool plain = isPlainNumber(text) || (column.From == Source::Boolean &&
                                                           (text == "True" || text == "False"));
                if (plain)
                    out.append(text);
                else
                    appendLiteral(out, text);
                break;
            }
        }
    }
    out.append(");");
}

bool WriteDeleteStatement(const TZTTable* table, const TConnInfo& connInfo) {
    if (!table)
        return false;
    std::string line(kDeleteFrom);
    line += QuoteName(table->TableName, connInfo.DBEngine);
    line += ';';
    line += kLineEnd;
    // Opened for this one line and closed again; a full disk shows when the line is flushed.
    TTextFileWriter file(connInfo.FileName, TTextFileWriter::Mode::Append);
    file.Write(line);
    file.Close();
    return true;
}

bool IsCommentLine(std::string_view line) noexcept {
    const std::string_view trimmed = TrimControl(line);
    return trimmed.size() >= 2 && trimmed[0] == '-' && trimmed[1] == '-';
}

}  // namespace vorlanex
