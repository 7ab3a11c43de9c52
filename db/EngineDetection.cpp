#include <sql.h>
#include <sqlext.h>

#include <optional>
#include <string>

#include "db/ConnectionString.h"
#include "model/NameCompare.h"

namespace vorlanex {

namespace {

// The driver description of a system data source, or nothing when the list cannot be read or
// does not hold the name. Names are matched regardless of letter case, as the driver manager
// does when it connects. A listed data source without a description reads as empty text.
std::optional<std::string> systemDataSourceDescription(std::string_view name) {
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return std::nullopt;
    std::optional<std::string> result;
    if (SQL_SUCCEEDED(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                                    reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0))) {
        SQLCHAR dsn[1024];
        SQLCHAR description[1024];
        SQLSMALLINT dsnLength = 0;
        SQLSMALLINT descriptionLength = 0;
        SQLUSMALLINT direction = SQL_FETCH_FIRST_SYSTEM;
        while (SQL_SUCCEEDED(SQLDataSources(env, direction, dsn, sizeof dsn, &dsnLength,
                                            description, sizeof description, &descriptionLength))) {
            direction = SQL_FETCH_NEXT;
            // A cut-off name could equal a shorter one by accident; it never matches.
            if (dsnLength < 0 || dsnLength >= static_cast<SQLSMALLINT>(sizeof dsn))
                continue;
            if (SameName(std::string_view(reinterpret_cast<const char*>(dsn),
                                          static_cast<size_t>(dsnLength)),
                         name)) {
                result = std::string(reinterpret_cast<const char*>(description));
                break;
            }
        }
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return result;
}

// The value of a DRIVER= item anywhere in the string (any letter case), without its braces.
std::string driverName(std::string_view s) {
    const std::string upper = UpperAZ(s);
    size_t at = upper.find("DRIVER=");
    while (at != std::string::npos && at > 0 && upper[at - 1] != ';' && upper[at - 1] != '"' &&
           upper[at - 1] != '\'' && upper[at - 1] != ' ')
        at = upper.find("DRIVER=", at + 1);
    if (at == std::string::npos)
        return {};
    size_t pos = at + 7;
    std::string value;
    if (pos < s.size() && s[pos] == '{') {
        const size_t close = s.find('}', pos + 1);
        value = std::string(
            s.substr(pos + 1, (close == std::string_view::npos ? s.size() : close) - pos - 1));
    } else {
        const size_t end = s.find_first_of(";\"'", pos);
        value =
            std::string(s.substr(pos, end == std::string_view::npos ? s.size() - pos : end - pos));
    }
    return value;
}

}  // namespace

DatabaseEngine GetEngineFromDSN(std::string_view dataSourceName) {
    const auto description = systemDataSourceDescription(dataSourceName);
    return description ? GetEngineFromDriverDescription(*description) : kDefaultEngine;
}

DatabaseEngine GetConnectionEngine(std::string_view s) {
    if (!IsODBCConnection(s))
        return GetEngineFromProvider(s);
    const std::string dataSource = GetDataSource(s);
    if (const auto description = systemDataSourceDescription(dataSource))
        return GetEngineFromDriverDescription(*description);
    const std::string driver = driverName(s);
    return driver.empty() ? kDefaultEngine : GetEngineFromDriverDescription(driver);
}

}  // namespace vorlanex
