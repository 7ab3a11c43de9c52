#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/Database.h"
#include "db/OdbcHandles.h"

namespace vorlanex::db {

// The ADO data type code for an ODBC SQL type; 0 for types without one.
std::int32_t AdoTypeFromOdbc(SQLSMALLINT sqlType, bool isUnsigned) noexcept;

// What a connection shares with its queries. Closing the connection frees every statement
// first, so a query that outlives its connection's open state fails cleanly instead of using a
// freed handle.
class OdbcSession {
public:
    EnvHandle Env;
    DbcHandle Dbc;
    bool Connected = false;
    bool InTransaction = false;

    // A new statement on the open connection. Throws ErrorType when the connection is closed.
    template <typename ErrorType>
    std::shared_ptr<StmtHandle> NewStatement();
    void ReleaseStatements() noexcept;

private:
    std::vector<std::weak_ptr<StmtHandle>> m_statements;
};

class OdbcQuery final : public IQuery {
public:
    // Runs the statement's request on a fresh statement handle: SQLExecDirect or a catalog call.
    using Request = std::function<SQLRETURN(SQLHANDLE stmt)>;

    explicit OdbcQuery(std::shared_ptr<OdbcSession> session);
    ~OdbcQuery() override;

    int FieldCount() const override;
    const std::string& FieldName(int index) const override;
    FieldType FieldTypeOf(int index) const override;
    bool IsBinary(int index) const override;
    bool IsNull(int index) const override;
    std::string_view AsText(int index) const override;
    DateTime AsDateTime(int index) const override;
    std::int64_t AsInteger(int index) const override;
    bool AsBoolean(int index) const override;
    int FieldIndex(std::string_view name) const override;

    void SetSQL(std::string sql) override;
    const std::string& SQL() const override { return m_sql; }
    void Prepare() override { m_prepared = true; }
    void Open() override;
    bool IsOpen() const override { return m_open; }
    bool IsEmpty() const override;
    void First() override;
    void Next() override;
    bool Eof() const override;
    std::int64_t RecordCount() override;
    void Close() noexcept override;
    void ExecSQL() override;
    std::int64_t RowsAffected() const override { return m_rowsAffected; }

    // Opens the query over a catalog function's result instead of the SQL text.
    void OpenSchema(SchemaRowset rowset, Request request, std::optional<std::string> tableFilter);

private:
    enum class ReadAs { Text, Binary, Double, Real, Bit, Date, Time, Timestamp };
    struct Column {
        std::string Name;
        SQLSMALLINT SqlType = 0;
        SQLULEN Size = 0;
        std::int32_t AdoType = 0;
        FieldType Type = FieldType::Unknown;
        ReadAs Kind = ReadAs::Text;
        // Where SQLFetch leaves the value of a bound column: Width bytes at Offset of the row
        // buffer.
        bool Bound = false;
        size_t Offset = 0;
        SQLLEN Width = 0;
        // The current value. Numbers, dates and times keep their value and are turned into text
        // only when asked for (Pending); View is the text, in the row buffer or in Text.
        bool Null = true;
        mutable bool Pending = false;
        mutable std::string_view View;
        mutable std::string Text;
        double Number = 0;
        DateTime Date;
    };

    void Run(const Request& request);
    void DescribeColumns();
    void AdaptSchemaColumns();
    bool FetchRow();
    void BindColumns();
    void LoadBoundColumn(int index);
    void ReadColumn(int index);
    void ReadChunks(int index, SQLSMALLINT cType);
    static void SetText(Column& column, std::string text);
    static std::string_view TextOf(const Column& column);
    void AdaptSchemaRow();
    const Column& ColumnAt(int index) const;
    const Column& CurrentColumn(int index) const;
    SQLHANDLE Stmt() const;

    std::shared_ptr<OdbcSession> m_session;
    std::shared_ptr<StmtHandle> m_stmt;
    std::shared_ptr<StmtHandle> m_execStmt;
    std::string m_sql;
    bool m_prepared = false;
    bool m_open = false;
    bool m_eof = true;
    bool m_empty = true;
    std::int64_t m_rowIndex = 0;
    std::int64_t m_rowsAffected = -1;
    std::vector<Column> m_columns;
    int m_resultColumns = 0;
    std::vector<char> m_buffer;
    // The values of the current row of the bound columns, and their length indicators.
    std::vector<char> m_rowBuffer;
    std::vector<SQLLEN> m_indicators;
    Request m_request;
    std::optional<SchemaRowset> m_schema;
    std::optional<std::string> m_tableFilter;
    int m_tableNameColumn = -1;
    int m_dataTypeColumn = -1;
    int m_typeNameColumn = -1;
    int m_nullableColumn = -1;
    int m_isNullableColumn = -1;
};

}  // namespace vorlanex::db
