// Proves the chain under everything else: unixODBC, each driver, each test server.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    std::string text;
    SQLCHAR state[6];
    SQLCHAR message[1024];
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    for (SQLSMALLINT i = 1; SQLGetDiagRec(type, handle, i, state, &native, message, sizeof message,
                                          &length) == SQL_SUCCESS;
         ++i) {
        text += reinterpret_cast<char*>(state);
        text += ": ";
        text += reinterpret_cast<char*>(message);
        text += '\n';
    }
    return text;
}

// Connects with an ODBC connection string, runs SELECT 1 and returns the value read.
std::string selectOne(const std::string& connectionString) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    std::string result;
    EXPECT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)));
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    EXPECT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)));
    SQLRETURN rc = SQLDriverConnect(dbc, nullptr, (SQLCHAR*)connectionString.c_str(), SQL_NTS,
                                    nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (SQL_SUCCEEDED(rc)) {
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
        rc = SQLExecDirect(stmt, (SQLCHAR*)"SELECT 1", SQL_NTS);
        EXPECT_TRUE(SQL_SUCCEEDED(rc)) << diagnostics(SQL_HANDLE_STMT, stmt);
        if (SQL_SUCCEEDED(rc) && SQL_SUCCEEDED(SQLFetch(stmt))) {
            char value[32] = {};
            SQLLEN indicator = 0;
            SQLGetData(stmt, 1, SQL_C_CHAR, value, sizeof value, &indicator);
            result = value;
        }
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        SQLDisconnect(dbc);
    } else {
        ADD_FAILURE() << "cannot connect with " << connectionString << ":\n"
                      << diagnostics(SQL_HANDLE_DBC, dbc);
    }
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return result;
}

std::string requiredEnv(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) {
        ADD_FAILURE() << name << " is not set: start the servers with scripts/test-servers";
        return {};
    }
    return value;
}

TEST(OdbcChain, SQLiteDriverAnswers) {
    const auto file = std::filesystem::temp_directory_path() / "vorlanex-chain.sqlite";
    EXPECT_EQ(selectOne("DRIVER=SQLite3;Database=" + file.string()), "1");
    std::filesystem::remove(file);
}

TEST(OdbcChain, PostgreSQLServerAnswers) {
    const std::string conn = requiredEnv("VORLANEX_TEST_PG_CONN");
    ASSERT_FALSE(conn.empty());
    EXPECT_EQ(selectOne(conn), "1");
}

TEST(OdbcChain, MariaDBServerAnswers) {
    const std::string conn = requiredEnv("VORLANEX_TEST_MARIADB_CONN");
    ASSERT_FALSE(conn.empty());
    EXPECT_EQ(selectOne(conn), "1");
}

}  // namespace
