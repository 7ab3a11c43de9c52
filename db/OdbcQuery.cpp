#include "db/OdbcQuery.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "model/NameCompare.h"

namespace vorlanex::db {

namespace {

constexpr std::string_view kNotConnected = "The connection is not open";
constexpr std::string_view kNotOpen = "The query is not open";
constexpr std::string_view kNoCurrentRow = "The query has no current row";
constexpr std::string_view kNoSuchField = "The query has no field number ";
constexpr std::string_view kNotADate = "The value of field \"%\" is not a date or time";
constexpr std::string_view kNotAnInteger = "The value of field \"%\" is not an integer: ";
constexpr std::string_view kNotABoolean = "The value of field \"%\" is not a boolean: ";
constexpr std::string_view kTrue = "True";
constexpr std::string_view kFalse = "False";

// Some drivers pad the whole buffer they are given, so a value is first asked for in a small
// piece and only a long one continues in large pieces.
constexpr size_t kFirstChunkSize = 512;
constexpr size_t kChunkSize = 64 * 1024;

// A bound text or binary column gets room for its declared size within these limits; a longer
// value is read again, whole, with SQLGetData.
constexpr SQLULEN kMinBoundWidth = 64;
constexpr SQLULEN kMaxBoundWidth = 512;
// Row buffer offsets keep every value aligned for the C structs and doubles stored there.
constexpr size_t kBoundAlignment = 16;

std::string Fill(std::string_view pattern, std::string_view value) {
    std::string text(pattern);
    const size_t at = text.find('%');
    if (at != std::string::npos)
        text.replace(at, 1, value);
    return text;
}

template <typename T>
std::string ShortestText(T value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

template <typename T>
T LoadValue(const char* data) {
    T value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

DateTime FromOdbc(const SQL_DATE_STRUCT& value) {
    return DateTime{value.year, value.month, value.day, 0, 0, 0, 0};
}

DateTime FromOdbc(const SQL_TIME_STRUCT& value) {
    DateTime d;
    d.Hour = value.hour;
    d.Minute = value.minute;
    d.Second = value.second;
    return d;
}

DateTime FromOdbc(const SQL_TIMESTAMP_STRUCT& value) {
    return DateTime{value.year,
                    value.month,
                    value.day,
                    value.hour,
                    value.minute,
                    value.second,
                    static_cast<int>(value.fraction / 1000000)};
}

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string DateText(const DateTime& d) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
    return text;
}

std::string TimeText(const DateTime& d) {
    std::string text = TwoDigits(d.Hour) + ":" + TwoDigits(d.Minute) + ":" + TwoDigits(d.Second);
    if (d.Millisecond != 0) {
        char ms[8];
        std::snprintf(ms, sizeof ms, ".%03d", d.Millisecond);
        text += ms;
    }
    return text;
}

bool IsCharacterType(SQLSMALLINT type) {
    switch (type) {
        case SQL_CHAR:
        case SQL_VARCHAR:
        case SQL_LONGVARCHAR:
        case SQL_WCHAR:
        case SQL_WVARCHAR:
        case SQL_WLONGVARCHAR:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::int32_t AdoTypeFromOdbc(SQLSMALLINT sqlType, bool isUnsigned) noexcept {
    switch (sqlType) {
        case SQL_CHAR:
            return 129;
        case SQL_VARCHAR:
            return 200;
        case SQL_LONGVARCHAR:
            return 201;
        case SQL_WCHAR:
            return 130;
        case SQL_WVARCHAR:
            return 202;
        case SQL_WLONGVARCHAR:
            return 203;
        case SQL_SMALLINT:
            return isUnsigned ? 18 : 2;
        case SQL_TINYINT:
            return isUnsigned ? 17 : 16;
        case SQL_INTEGER:
            return isUnsigned ? 19 : 3;
        case SQL_BIGINT:
            return isUnsigned ? 21 : 20;
        case SQL_BIT:
            return 11;
        case SQL_REAL:
            return 4;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return 5;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return 131;
        // Older drivers still report the ODBC 2 date and time codes.
        case SQL_DATE:
        case SQL_TYPE_DATE:
            return 133;
        case SQL_TIME:
        case SQL_TYPE_TIME:
            return 134;
        case SQL_TIMESTAMP:
        case SQL_TYPE_TIMESTAMP:
            return 135;
        case SQL_BINARY:
            return 128;
        case SQL_VARBINARY:
            return 204;
        case SQL_LONGVARBINARY:
            return 205;
        case SQL_GUID:
            return 72;
        default:
            return 0;
    }
}

template <typename ErrorType>
std::shared_ptr<StmtHandle> OdbcSession::NewStatement() {
    if (!Connected)
        throw ErrorType(std::string(kNotConnected));
    auto stmt = std::make_shared<StmtHandle>();
    SQLHANDLE handle = nullptr;
    Check<ErrorType>(SQLAllocHandle(SQL_HANDLE_STMT, Dbc.Get(), &handle), SQL_HANDLE_DBC, Dbc.Get(),
                     "Allocating a statement");
    *stmt = StmtHandle(handle);
    std::erase_if(m_statements, [](const auto& weak) { return weak.expired(); });
    m_statements.push_back(stmt);
    return stmt;
}

template std::shared_ptr<StmtHandle> OdbcSession::NewStatement<DatabaseError>();
template std::shared_ptr<StmtHandle> OdbcSession::NewStatement<DatabaseAccessError>();

void OdbcSession::ReleaseStatements() noexcept {
    for (auto& weak : m_statements) {
        if (auto stmt = weak.lock())
            stmt->Reset();
    }
    m_statements.clear();
}

OdbcQuery::OdbcQuery(std::shared_ptr<OdbcSession> session) : m_session(std::move(session)) {}

OdbcQuery::~OdbcQuery() {
    Close();
}

SQLHANDLE OdbcQuery::Stmt() const {
    if (!m_stmt || !*m_stmt)
        throw DatabaseError(std::string(kNotConnected));
    return m_stmt->Get();
}

void OdbcQuery::SetSQL(std::string sql) {
    Close();
    m_sql = std::move(sql);
    m_prepared = false;
}

void OdbcQuery::Open() {
    if (m_open)
        return;
    Close();
    const std::string sql = m_sql;
    Run([sql](SQLHANDLE stmt) {
        return SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())),
                             static_cast<SQLINTEGER>(sql.size()));
    });
}

void OdbcQuery::OpenSchema(SchemaRowset rowset, Request request,
                           std::optional<std::string> tableFilter) {
    Close();
    m_schema = rowset;
    m_tableFilter = std::move(tableFilter);
    Run(request);
}

void OdbcQuery::Run(const Request& request) {
    m_stmt.reset();
    m_stmt = m_session->NewStatement<DatabaseAccessError>();
    const SQLHANDLE stmt = m_stmt->Get();
    const SQLRETURN rc = request(stmt);
    Check<DatabaseAccessError>(rc, SQL_HANDLE_STMT, stmt, "Opening the query");
    m_request = request;
    try {
        DescribeColumns();
        if (m_schema)
            AdaptSchemaColumns();
        else
            BindColumns();
        m_open = true;
        m_rowIndex = 0;
        m_eof = rc == SQL_NO_DATA || m_columns.empty() || !FetchRow();
        m_empty = m_eof;
    } catch (const DatabaseAccessError&) {
        Close();
        throw;
    } catch (const DatabaseError& e) {
        Close();
        throw DatabaseAccessError(e.what(), e.SqlState(), e.NativeCode());
    }
}

void OdbcQuery::DescribeColumns() {
    const SQLHANDLE stmt = Stmt();
    SQLSMALLINT count = 0;
    Check(SQLNumResultCols(stmt, &count), SQL_HANDLE_STMT, stmt, "Reading the result columns");
    m_columns.assign(static_cast<size_t>(count), Column{});
    m_resultColumns = count;
    for (SQLSMALLINT i = 0; i < count; ++i) {
        Column& column = m_columns[static_cast<size_t>(i)];
        SQLCHAR name[512] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        Check(SQLDescribeCol(stmt, static_cast<SQLUSMALLINT>(i + 1), name, sizeof name, &nameLength,
                             &type, &size, &digits, &nullable),
              SQL_HANDLE_STMT, stmt, "Describing a result column");
        SQLLEN isUnsigned = SQL_FALSE;
        SQLColAttribute(stmt, static_cast<SQLUSMALLINT>(i + 1), SQL_DESC_UNSIGNED, nullptr, 0,
                        nullptr, &isUnsigned);
        column.Name = reinterpret_cast<const char*>(name);
        column.SqlType = type;
        column.Size = size;
        column.AdoType = AdoTypeFromOdbc(type, isUnsigned == SQL_TRUE && !IsCharacterType(type));
        column.Type = FieldTypeFromDataType(column.AdoType);
        switch (type) {
            case SQL_BINARY:
            case SQL_VARBINARY:
            case SQL_LONGVARBINARY:
                column.Kind = ReadAs::Binary;
                break;
            case SQL_FLOAT:
            case SQL_DOUBLE:
                column.Kind = ReadAs::Double;
                break;
            case SQL_REAL:
                column.Kind = ReadAs::Real;
                break;
            case SQL_BIT:
                column.Kind = ReadAs::Bit;
                break;
            case SQL_DATE:
            case SQL_TYPE_DATE:
                column.Kind = ReadAs::Date;
                break;
            case SQL_TIME:
            case SQL_TYPE_TIME:
                column.Kind = ReadAs::Time;
                break;
            case SQL_TIMESTAMP:
            case SQL_TYPE_TIMESTAMP:
                column.Kind = ReadAs::Timestamp;
                break;
            default:
                column.Kind = ReadAs::Text;
                break;
        }
    }
}

// The catalog functions answer with ODBC column names and codes; the callers read the rowsets
// with the names and values of the OLE DB schema rowsets.
void OdbcQuery::AdaptSchemaColumns() {
    auto rename = [this](int index, const char* name) {
        if (index < static_cast<int>(m_columns.size()))
            m_columns[static_cast<size_t>(index)].Name = name;
    };
    rename(0, "TABLE_CATALOG");
    rename(1, "TABLE_SCHEMA");
    rename(2, "TABLE_NAME");
    m_tableNameColumn = m_columns.size() > 2 ? 2 : -1;
    if (*m_schema == SchemaRowset::Tables) {
        rename(3, "TABLE_TYPE");
        rename(4, "DESCRIPTION");
        return;
    }
    rename(3, "COLUMN_NAME");
    if (*m_schema != SchemaRowset::Columns)
        return;
    rename(4, "DATA_TYPE");
    rename(5, "TYPE_NAME");
    rename(10, "NULLABLE");
    m_dataTypeColumn = m_columns.size() > 4 ? 4 : -1;
    m_typeNameColumn = m_columns.size() > 5 ? 5 : -1;
    m_nullableColumn = m_columns.size() > 10 ? 10 : -1;
    if (m_columns.size() > 17) {
        m_isNullableColumn = 17;
    } else {
        m_columns.push_back(Column{});
        m_isNullableColumn = static_cast<int>(m_columns.size()) - 1;
    }
    Column& isNullable = m_columns[static_cast<size_t>(m_isNullableColumn)];
    isNullable.Name = "IS_NULLABLE";
    isNullable.AdoType = 11;
    isNullable.Type = FieldType::Boolean;
    if (m_dataTypeColumn >= 0) {
        Column& dataType = m_columns[static_cast<size_t>(m_dataTypeColumn)];
        dataType.AdoType = 3;
        dataType.Type = FieldType::Integer;
    }
}

void OdbcQuery::AdaptSchemaRow() {
    if (m_dataTypeColumn >= 0) {
        Column& dataType = m_columns[static_cast<size_t>(m_dataTypeColumn)];
        const std::string_view codeText = TextOf(dataType);
        int code = 0;
        std::from_chars(codeText.data(), codeText.data() + codeText.size(), code);
        bool isUnsigned = false;
        if (m_typeNameColumn >= 0)
            isUnsigned = ContainsText(
                UpperAZ(TextOf(m_columns[static_cast<size_t>(m_typeNameColumn)])), "UNSIGNED");
        SetText(dataType, std::to_string(AdoTypeFromOdbc(
                              static_cast<SQLSMALLINT>(code),
                              isUnsigned && !IsCharacterType(static_cast<SQLSMALLINT>(code)))));
    }
    if (m_isNullableColumn >= 0) {
        Column& isNullable = m_columns[static_cast<size_t>(m_isNullableColumn)];
        bool nullable = false;
        if (m_nullableColumn >= 0) {
            const Column& source = m_columns[static_cast<size_t>(m_nullableColumn)];
            nullable = !source.Null && TextOf(source) == std::to_string(SQL_NULLABLE);
        }
        isNullable.Null = false;
        SetText(isNullable, std::string(nullable ? kTrue : kFalse));
    }
}

// A bound column is filled by SQLFetch itself, which spares one driver manager call per value.
// Only drivers that allow SQLGetData on a bound column get bindings: a value longer than its
// buffer is then read again whole. Catalog rowsets stay unbound; they are small.
void OdbcQuery::BindColumns() {
    const SQLHANDLE stmt = Stmt();
    SQLUINTEGER extensions = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(m_session->Dbc.Get(), SQL_GETDATA_EXTENSIONS, &extensions,
                                  sizeof extensions, nullptr)) ||
        (extensions & SQL_GD_BOUND) == 0)
        return;
    size_t offset = 0;
    for (int i = 0; i < m_resultColumns; ++i) {
        Column& column = m_columns[static_cast<size_t>(i)];
        switch (column.Kind) {
            case ReadAs::Text:
                // Up to four bytes a character once the driver hands over UTF-8.
                column.Width = static_cast<SQLLEN>(std::clamp<SQLULEN>(
                    std::min(column.Size, kMaxBoundWidth) * 4 + 1, kMinBoundWidth, kMaxBoundWidth));
                break;
            case ReadAs::Binary:
                column.Width = static_cast<SQLLEN>(
                    std::clamp<SQLULEN>(column.Size, kMinBoundWidth, kMaxBoundWidth));
                break;
            case ReadAs::Double:
                column.Width = sizeof(double);
                break;
            case ReadAs::Real:
                column.Width = sizeof(float);
                break;
            case ReadAs::Bit:
                column.Width = sizeof(unsigned char);
                break;
            case ReadAs::Date:
                column.Width = sizeof(SQL_DATE_STRUCT);
                break;
            case ReadAs::Time:
                column.Width = sizeof(SQL_TIME_STRUCT);
                break;
            case ReadAs::Timestamp:
                column.Width = sizeof(SQL_TIMESTAMP_STRUCT);
                break;
        }
        column.Offset = offset;
        offset += (static_cast<size_t>(column.Width) + kBoundAlignment - 1) / kBoundAlignment *
                  kBoundAlignment;
    }
    m_rowBuffer.assign(offset, '\0');
    m_indicators.assign(static_cast<size_t>(m_resultColumns), 0);
    for (int i = 0; i < m_resultColumns; ++i) {
        Column& column = m_columns[static_cast<size_t>(i)];
        SQLSMALLINT cType = SQL_C_CHAR;
        switch (column.Kind) {
            case ReadAs::Text:
                cType = SQL_C_CHAR;
                break;
            case ReadAs::Binary:
                cType = SQL_C_BINARY;
                break;
            case ReadAs::Double:
                cType = SQL_C_DOUBLE;
                break;
            case ReadAs::Real:
                cType = SQL_C_FLOAT;
                break;
            case ReadAs::Bit:
                cType = SQL_C_BIT;
                break;
            case ReadAs::Date:
                cType = SQL_C_TYPE_DATE;
                break;
            case ReadAs::Time:
                cType = SQL_C_TYPE_TIME;
                break;
            case ReadAs::Timestamp:
                cType = SQL_C_TYPE_TIMESTAMP;
                break;
        }
        // A column the driver will not bind is read with SQLGetData as before.
        column.Bound = SQL_SUCCEEDED(SQLBindCol(stmt, static_cast<SQLUSMALLINT>(i + 1), cType,
                                                m_rowBuffer.data() + column.Offset, column.Width,
                                                &m_indicators[static_cast<size_t>(i)]));
    }
}

bool OdbcQuery::FetchRow() {
    const SQLHANDLE stmt = Stmt();
    for (;;) {
        const SQLRETURN rc = SQLFetch(stmt);
        if (rc == SQL_NO_DATA)
            return false;
        Check(rc, SQL_HANDLE_STMT, stmt, "Fetching a row");
        for (int i = 0; i < m_resultColumns; ++i) {
            if (m_columns[static_cast<size_t>(i)].Bound)
                LoadBoundColumn(i);
            else
                ReadColumn(i);
        }
        if (!m_schema)
            return true;
        // Table names given to the catalog are patterns, in which "_" and "%" match any
        // character; keep only the rows of the table asked for.
        if (m_tableFilter && m_tableNameColumn >= 0 &&
            m_tableFilter->find_first_of("_%") != std::string::npos &&
            !SameName(TextOf(m_columns[static_cast<size_t>(m_tableNameColumn)]), *m_tableFilter))
            continue;
        AdaptSchemaRow();
        return true;
    }
}

void OdbcQuery::LoadBoundColumn(int index) {
    Column& column = m_columns[static_cast<size_t>(index)];
    const SQLLEN indicator = m_indicators[static_cast<size_t>(index)];
    const char* data = m_rowBuffer.data() + column.Offset;
    column.Pending = false;
    column.Null = indicator == SQL_NULL_DATA;
    if (column.Null) {
        column.View = {};
        return;
    }
    switch (column.Kind) {
        case ReadAs::Text:
            // A full buffer is read again too: not every driver reports the whole length of a
            // value it cut short.
            if (indicator == SQL_NO_TOTAL || indicator < 0 || indicator >= column.Width - 1)
                ReadChunks(index, SQL_C_CHAR);
            else
                column.View = std::string_view(data, static_cast<size_t>(indicator));
            return;
        case ReadAs::Binary:
            if (indicator == SQL_NO_TOTAL || indicator < 0 || indicator >= column.Width)
                ReadChunks(index, SQL_C_BINARY);
            else
                column.View = std::string_view(data, static_cast<size_t>(indicator));
            return;
        case ReadAs::Double:
            column.Number = LoadValue<double>(data);
            column.Pending = true;
            return;
        case ReadAs::Real:
            column.Number = LoadValue<float>(data);
            column.Pending = true;
            return;
        case ReadAs::Bit:
            column.View = LoadValue<unsigned char>(data) ? kTrue : kFalse;
            return;
        case ReadAs::Date:
            column.Date = FromOdbc(LoadValue<SQL_DATE_STRUCT>(data));
            column.Pending = true;
            return;
        case ReadAs::Time:
            column.Date = FromOdbc(LoadValue<SQL_TIME_STRUCT>(data));
            column.Pending = true;
            return;
        case ReadAs::Timestamp:
            column.Date = FromOdbc(LoadValue<SQL_TIMESTAMP_STRUCT>(data));
            column.Pending = true;
            return;
    }
}

void OdbcQuery::ReadChunks(int index, SQLSMALLINT cType) {
    Column& column = m_columns[static_cast<size_t>(index)];
    const SQLHANDLE stmt = Stmt();
    const size_t terminator = cType == SQL_C_BINARY ? 0 : 1;
    if (m_buffer.empty())
        m_buffer.resize(kChunkSize);
    column.Text.clear();
    column.View = {};
    column.Pending = false;
    column.Null = false;
    size_t size = kFirstChunkSize;
    for (;; size = m_buffer.size()) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt, static_cast<SQLUSMALLINT>(index + 1), cType,
                                        m_buffer.data(), static_cast<SQLLEN>(size), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        Check(rc, SQL_HANDLE_STMT, stmt, "Reading a value");
        if (indicator == SQL_NULL_DATA) {
            column.Null = true;
            return;
        }
        const size_t room = size - terminator;
        if (indicator == SQL_NO_TOTAL || static_cast<size_t>(indicator) > room) {
            column.Text.append(m_buffer.data(), room);
            if (rc == SQL_SUCCESS)
                break;
            continue;
        }
        column.Text.append(m_buffer.data(), static_cast<size_t>(indicator));
        break;
    }
    column.View = column.Text;
}

void OdbcQuery::ReadColumn(int index) {
    Column& column = m_columns[static_cast<size_t>(index)];
    const SQLHANDLE stmt = Stmt();
    const auto number = static_cast<SQLUSMALLINT>(index + 1);
    SQLLEN indicator = 0;
    column.Pending = false;
    column.View = {};
    auto get = [&](SQLSMALLINT cType, void* target, SQLLEN size) {
        Check(SQLGetData(stmt, number, cType, target, size, &indicator), SQL_HANDLE_STMT, stmt,
              "Reading a value");
        column.Null = indicator == SQL_NULL_DATA;
        return !column.Null;
    };
    switch (column.Kind) {
        case ReadAs::Text:
            ReadChunks(index, SQL_C_CHAR);
            return;
        case ReadAs::Binary:
            ReadChunks(index, SQL_C_BINARY);
            return;
        case ReadAs::Double: {
            double value = 0;
            if (get(SQL_C_DOUBLE, &value, sizeof value)) {
                column.Number = value;
                column.Pending = true;
            }
            return;
        }
        case ReadAs::Real: {
            float value = 0;
            if (get(SQL_C_FLOAT, &value, sizeof value)) {
                column.Number = value;
                column.Pending = true;
            }
            return;
        }
        case ReadAs::Bit: {
            unsigned char value = 0;
            if (get(SQL_C_BIT, &value, sizeof value))
                column.View = value ? kTrue : kFalse;
            return;
        }
        case ReadAs::Date: {
            SQL_DATE_STRUCT value{};
            if (get(SQL_C_TYPE_DATE, &value, sizeof value)) {
                column.Date = FromOdbc(value);
                column.Pending = true;
            }
            return;
        }
        case ReadAs::Time: {
            SQL_TIME_STRUCT value{};
            if (get(SQL_C_TYPE_TIME, &value, sizeof value)) {
                column.Date = FromOdbc(value);
                column.Pending = true;
            }
            return;
        }
        case ReadAs::Timestamp: {
            SQL_TIMESTAMP_STRUCT value{};
            if (get(SQL_C_TYPE_TIMESTAMP, &value, sizeof value)) {
                column.Date = FromOdbc(value);
                column.Pending = true;
            }
            return;
        }
    }
}

void OdbcQuery::SetText(Column& column, std::string text) {
    column.Text = std::move(text);
    column.View = column.Text;
    column.Pending = false;
}

// The text of numbers, dates and times is made on the first request only: the export reads
// dates through AsDateTime and never needs it.
std::string_view OdbcQuery::TextOf(const Column& column) {
    if (!column.Pending)
        return column.View;
    switch (column.Kind) {
        case ReadAs::Double:
            column.Text = ShortestText(column.Number);
            break;
        case ReadAs::Real:
            column.Text = ShortestText(static_cast<float>(column.Number));
            break;
        case ReadAs::Date:
            column.Text = DateText(column.Date);
            break;
        case ReadAs::Time:
            column.Text = TimeText(column.Date);
            break;
        case ReadAs::Timestamp:
            column.Text = DateText(column.Date);
            column.Text += ' ';
            column.Text += TimeText(column.Date);
            break;
        default:
            break;
    }
    column.View = column.Text;
    column.Pending = false;
    return column.View;
}

const OdbcQuery::Column& OdbcQuery::ColumnAt(int index) const {
    if (index < 0 || index >= static_cast<int>(m_columns.size()))
        throw DatabaseError(std::string(kNoSuchField) + std::to_string(index));
    return m_columns[static_cast<size_t>(index)];
}

const OdbcQuery::Column& OdbcQuery::CurrentColumn(int index) const {
    if (!m_open)
        throw DatabaseError(std::string(kNotOpen));
    if (m_eof)
        throw DatabaseError(std::string(kNoCurrentRow));
    return ColumnAt(index);
}

int OdbcQuery::FieldCount() const {
    return static_cast<int>(m_columns.size());
}
const std::string& OdbcQuery::FieldName(int index) const {
    return ColumnAt(index).Name;
}
FieldType OdbcQuery::FieldTypeOf(int index) const {
    return ColumnAt(index).Type;
}
bool OdbcQuery::IsBinary(int index) const {
    return ColumnAt(index).Kind == ReadAs::Binary;
}
bool OdbcQuery::IsNull(int index) const {
    return CurrentColumn(index).Null;
}

std::string_view OdbcQuery::AsText(int index) const {
    const Column& column = CurrentColumn(index);
    if (column.Null)
        return {};
    return TextOf(column);
}

DateTime OdbcQuery::AsDateTime(int index) const {
    const Column& column = CurrentColumn(index);
    const bool isDate = column.Kind == ReadAs::Date || column.Kind == ReadAs::Time ||
                        column.Kind == ReadAs::Timestamp;
    if (!isDate || column.Null)
        throw DatabaseError(Fill(kNotADate, column.Name));
    return column.Date;
}

std::int64_t OdbcQuery::AsInteger(int index) const {
    const Column& column = CurrentColumn(index);
    if (column.Null)
        return 0;
    const std::string_view text = TextOf(column);
    std::int64_t value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr != end)
        throw DatabaseError(Fill(kNotAnInteger, column.Name).append(text));
    return value;
}

bool OdbcQuery::AsBoolean(int index) const {
    const Column& column = CurrentColumn(index);
    if (column.Null)
        return false;
    const std::string_view text = TextOf(column);
    if (SameName(text, kTrue))
        return true;
    if (SameName(text, kFalse))
        return false;
    std::int64_t value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr != end)
        throw DatabaseError(Fill(kNotABoolean, column.Name).append(text));
    return value != 0;
}

int OdbcQuery::FieldIndex(std::string_view name) const {
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (SameName(m_columns[i].Name, name))
            return static_cast<int>(i);
    }
    return -1;
}

bool OdbcQuery::IsEmpty() const {
    return !m_open || m_empty;
}

bool OdbcQuery::Eof() const {
    return !m_open || m_eof;
}

void OdbcQuery::First() {
    if (!m_open)
        throw DatabaseError(std::string(kNotOpen));
    if (m_rowIndex == 0)
        return;
    // The cursor only moves forward: going back means running the request again.
    const Request request = m_request;
    const auto schema = m_schema;
    const auto filter = m_tableFilter;
    Close();
    m_schema = schema;
    m_tableFilter = filter;
    Run(request);
}

void OdbcQuery::Next() {
    if (!m_open)
        throw DatabaseError(std::string(kNotOpen));
    if (m_eof)
        return;
    ++m_rowIndex;
    m_eof = !FetchRow();
}

std::int64_t OdbcQuery::RecordCount() {
    if (!m_open)
        return 0;
    if (m_empty)
        return 0;
    // A second statement walks the same request, so the position of this one is kept.
    OdbcQuery counter(m_session);
    counter.m_schema = m_schema;
    counter.m_tableFilter = m_tableFilter;
    counter.Run(m_request);
    std::int64_t count = 0;
    while (!counter.Eof()) {
        ++count;
        counter.Next();
    }
    return count;
}

void OdbcQuery::Close() noexcept {
    // The statement goes first: its bindings point into the row buffer.
    m_stmt.reset();
    m_rowBuffer.clear();
    m_indicators.clear();
    m_open = false;
    m_eof = true;
    m_empty = true;
    m_rowIndex = 0;
    m_columns.clear();
    m_schema.reset();
    m_tableFilter.reset();
    m_tableNameColumn = m_dataTypeColumn = m_typeNameColumn = -1;
    m_nullableColumn = m_isNullableColumn = -1;
}

void OdbcQuery::ExecSQL() {
    Close();
    m_rowsAffected = -1;
    // One statement handle serves every command of this query.
    if (!m_execStmt || !*m_execStmt)
        m_execStmt = m_session->NewStatement<DatabaseError>();
    const SQLHANDLE handle = m_execStmt->Get();
    const SQLRETURN rc = SQLExecDirect(handle, reinterpret_cast<SQLCHAR*>(m_sql.data()),
                                       static_cast<SQLINTEGER>(m_sql.size()));
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
        Diagnostics d = ReadDiagnostics(SQL_HANDLE_STMT, handle);
        SQLFreeStmt(handle, SQL_CLOSE);
        if (d.Message.empty())
            d.Message = "Executing the statement failed";
        throw DatabaseError(d.Message, d.SqlState, d.NativeCode);
    }
    SQLLEN count = -1;
    if (rc == SQL_NO_DATA)
        count = 0;
    else if (!SQL_SUCCEEDED(SQLRowCount(handle, &count)))
        count = -1;
    m_rowsAffected = count;
    SQLFreeStmt(handle, SQL_CLOSE);
}

}  // namespace vorlanex::db
