#pragma once

#include <string>
#include <string_view>

#include "model/DatabaseEngine.h"

namespace vorlanex {

// Key readers over the program's OLE DB-style connection strings. Each finds the first
// occurrence of its key text exactly as written, anywhere in the string.
std::string GetProvider(std::string_view connectionString);
std::string GetDataSource(std::string_view connectionString);
std::string GetUserID(std::string_view connectionString);
std::string GetPassword(std::string_view connectionString);

bool IsODBCConnection(std::string_view connectionString);
bool IsDB2Connection(std::string_view connectionString);

DatabaseEngine GetEngineFromProvider(std::string_view connectionString);
// The engine behind a driver description, by the rules for ODBC data sources.
DatabaseEngine GetEngineFromDriverDescription(std::string_view description);
// Looks the data source up in the machine's system data sources; the description there is
// the driver's name.
DatabaseEngine GetEngineFromDSN(std::string_view dataSourceName);
DatabaseEngine GetConnectionEngine(std::string_view connectionString);

// The string with the login in it: the user ID set (or appended), the password appended when
// the string carries none, in quotes when it holds ";", quotes, braces or blanks at its ends.
std::string ApplyLogin(std::string_view connectionString, std::string_view userID,
                       std::string_view password);

// The string without its "Password=" items, also those inside a quoted value; the rest stays
// exactly as it was.
std::string RemovePassword(std::string_view connectionString);

}  // namespace vorlanex
