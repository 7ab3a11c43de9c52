#pragma once

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "db/Database.h"

namespace vorlanex::db {

// Owns one ODBC handle of the given kind and frees it on destruction. A connection handle is
// disconnected first when it is still connected.
template <SQLSMALLINT Kind>
class OdbcHandle {
public:
    OdbcHandle() = default;
    explicit OdbcHandle(SQLHANDLE handle) noexcept : m_handle(handle) {}
    OdbcHandle(OdbcHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    OdbcHandle& operator=(OdbcHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    ~OdbcHandle() { Reset(); }

    SQLHANDLE Get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != nullptr; }

    void Reset() noexcept {
        if (!m_handle)
            return;
        if constexpr (Kind == SQL_HANDLE_STMT)
            SQLFreeStmt(m_handle, SQL_CLOSE);
        if constexpr (Kind == SQL_HANDLE_DBC)
            SQLDisconnect(m_handle);
        SQLFreeHandle(Kind, m_handle);
        m_handle = nullptr;
    }

private:
    SQLHANDLE m_handle = nullptr;
};

using EnvHandle = OdbcHandle<SQL_HANDLE_ENV>;
using DbcHandle = OdbcHandle<SQL_HANDLE_DBC>;
using StmtHandle = OdbcHandle<SQL_HANDLE_STMT>;

// The diagnostic records of a failed call, read once.
struct Diagnostics {
    std::string Message;
    std::string SqlState;
    std::int32_t NativeCode = 0;
};

Diagnostics ReadDiagnostics(SQLSMALLINT kind, SQLHANDLE handle);

// Throws ErrorType with the handle's diagnostics unless rc reports success. SQL_NO_DATA counts
// as success; what callers make of it is theirs.
template <typename ErrorType = DatabaseError>
SQLRETURN Check(SQLRETURN rc, SQLSMALLINT kind, SQLHANDLE handle, std::string_view action) {
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA)
        return rc;
    Diagnostics d = ReadDiagnostics(kind, handle);
    if (d.Message.empty()) {
        d.Message = std::string(action) + " failed";
        if (rc == SQL_INVALID_HANDLE)
            d.Message += " (invalid handle)";
    }
    throw ErrorType(d.Message, d.SqlState, d.NativeCode);
}

EnvHandle AllocateEnvironment();
DbcHandle AllocateConnection(const EnvHandle& env);
StmtHandle AllocateStatement(SQLHANDLE dbc);

}  // namespace vorlanex::db
