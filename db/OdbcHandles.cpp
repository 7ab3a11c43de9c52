#include "db/OdbcHandles.h"

namespace vorlanex::db {

Diagnostics ReadDiagnostics(SQLSMALLINT kind, SQLHANDLE handle) {
    Diagnostics result;
    if (!handle)
        return result;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        std::string text(SQL_MAX_MESSAGE_LENGTH, '\0');
        SQLRETURN rc = SQLGetDiagRec(kind, handle, record, state, &native,
                                     reinterpret_cast<SQLCHAR*>(text.data()),
                                     static_cast<SQLSMALLINT>(text.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
            text.assign(static_cast<size_t>(length) + 1, '\0');
            rc = SQLGetDiagRec(kind, handle, record, state, &native,
                               reinterpret_cast<SQLCHAR*>(text.data()),
                               static_cast<SQLSMALLINT>(text.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        text.resize(std::min<size_t>(static_cast<size_t>(length), text.size()));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '\0'))
            text.pop_back();
        const std::string sqlState(reinterpret_cast<const char*>(state));
        if (record == 1) {
            result.SqlState = sqlState;
            result.NativeCode = native;
        } else {
            result.Message += '\n';
        }
        result.Message += sqlState + ": " + text;
    }
    return result;
}

EnvHandle AllocateEnvironment() {
    SQLHANDLE env = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        throw DatabaseError("The ODBC environment could not be created");
    EnvHandle owner(env);
    Check(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
          SQL_HANDLE_ENV, env, "Setting the ODBC version");
    return owner;
}

DbcHandle AllocateConnection(const EnvHandle& env) {
    SQLHANDLE dbc = nullptr;
    Check(SQLAllocHandle(SQL_HANDLE_DBC, env.Get(), &dbc), SQL_HANDLE_ENV, env.Get(),
          "Allocating a connection");
    return DbcHandle(dbc);
}

StmtHandle AllocateStatement(SQLHANDLE dbc) {
    SQLHANDLE stmt = nullptr;
    Check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_HANDLE_DBC, dbc,
          "Allocating a statement");
    return StmtHandle(stmt);
}

}  // namespace vorlanex::db
