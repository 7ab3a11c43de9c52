#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/DateTime.h"
#include "model/TypeCatalogue.h"

namespace vorlanex::db {

// Every failure of the database layer. The message is the driver's text with its SQLSTATE;
// it never carries a source file or line.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const std::string& message, std::string sqlState = {},
                           std::int32_t nativeCode = 0)
        : std::runtime_error(message), m_sqlState(std::move(sqlState)), m_nativeCode(nativeCode) {}
    const std::string& SqlState() const noexcept { return m_sqlState; }
    std::int32_t NativeCode() const noexcept { return m_nativeCode; }

private:
    std::string m_sqlState;
    std::int32_t m_nativeCode;
};

// A query that could not be opened; a kind of its own so that a viewer can catch it alone.
class DatabaseAccessError : public DatabaseError {
public:
    using DatabaseError::DatabaseError;
};

// The current row of an open result, read by column index (0-based).
class IRow {
public:
    virtual ~IRow() = default;
    virtual int FieldCount() const = 0;
    virtual const std::string& FieldName(int index) const = 0;
    // The field type the type catalogue gives for the column's ADO data type code.
    virtual FieldType FieldTypeOf(int index) const = 0;
    // True when the column's value arrives as bytes (binary, varbinary, long varbinary).
    virtual bool IsBinary(int index) const = 0;
    virtual bool IsNull(int index) const = 0;
    // The layer's text form: numbers plainly (exact decimals, shortest round-trip floating
    // point), booleans as True or False, dates and times as "yyyy-mm-dd hh:nn:ss" (use
    // AsDateTime for those), binary values as their raw bytes, text as the driver's bytes.
    // The view stays valid until the row moves or the query closes.
    virtual std::string_view AsText(int index) const = 0;
    // Dates, times and timestamps; a pure time has the base date 1899-12-30, a pure date
    // the time 00:00:00. Throws DatabaseError for a value that is not a date or time.
    virtual DateTime AsDateTime(int index) const = 0;
    virtual std::int64_t AsInteger(int index) const = 0;
    virtual bool AsBoolean(int index) const = 0;
    // The first column of that name (compared as SameName), or -1.
    virtual int FieldIndex(std::string_view name) const = 0;
};

// A data set bound to a connection. Walks forward only; First is valid right after Open.
class IQuery : public IRow {
public:
    // One SQL text, replaced as a whole. Nothing runs yet.
    virtual void SetSQL(std::string sql) = 0;
    virtual const std::string& SQL() const = 0;
    virtual void Prepare() = 0;
    // Runs the SQL text and positions on the first row. Throws DatabaseAccessError.
    virtual void Open() = 0;
    virtual bool IsOpen() const = 0;
    virtual bool IsEmpty() const = 0;
    virtual void First() = 0;
    virtual void Next() = 0;
    // Past the last row.
    virtual bool Eof() const = 0;
    // The exact number of rows of the open result; may run the query again to count.
    virtual std::int64_t RecordCount() = 0;
    virtual void Close() noexcept = 0;
    // Runs the SQL text as a command that returns no rows. Throws DatabaseError.
    virtual void ExecSQL() = 0;
    // Rows affected by the last ExecSQL; negative when the driver does not know.
    virtual std::int64_t RowsAffected() const = 0;
};

enum class SchemaRowset { Tables, Columns, PrimaryKeys };

// A restriction value; no value means no restriction on that column.
using Restriction = std::optional<std::string>;

// A connection holding the program's OLE DB-style connection string.
class IConnection {
public:
    virtual ~IConnection() = default;
    virtual const std::string& ConnectionString() const = 0;
    virtual void SetConnectionString(std::string connectionString) = 0;
    virtual bool Connected() const = 0;
    // Opens with the current string, never prompting. Throws DatabaseError with the
    // driver's message.
    virtual void Open() = 0;
    virtual void Close() noexcept = 0;
    virtual void BeginTrans() = 0;
    virtual void CommitTrans() = 0;
    virtual std::unique_ptr<IQuery> CreateQuery() = 0;
    // An open data set over the schema rowset with the named columns TABLE_TYPE, TABLE_NAME
    // (Tables), TABLE_NAME, COLUMN_NAME, DATA_TYPE as the ADO code, IS_NULLABLE as a boolean
    // (Columns) and TABLE_NAME, COLUMN_NAME (PrimaryKeys). Restrictions in OLE DB order:
    // catalog, schema, table name, table type (Tables); catalog, schema, table name (others).
    virtual std::unique_ptr<IQuery> OpenSchema(SchemaRowset rowset,
                                               const std::vector<Restriction>& restrictions) = 0;
};

// A fresh connection object holding no connection string, over unixODBC.
std::unique_ptr<IConnection> CreateOdbcConnection();

}  // namespace vorlanex::db
