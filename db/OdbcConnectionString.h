#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlanex::db {

// One "key=value" item of a connection string, with quotes or braces removed from the value.
struct ConnectionItem {
    std::string Key;
    std::string Value;
};
using ConnectionItems = std::vector<ConnectionItem>;

// The program's OLE DB-style strings: items separated by ";", blanks around keys and unquoted
// values ignored, values in double or single quotes with the quote doubled inside, "==" in a key
// for a literal "=". Braces inside an unquoted value are kept and protect the ";" they enclose.
// Throws DatabaseError naming the fault for an unterminated quote or an item without "=".
ConnectionItems ParseOleDbConnectionString(std::string_view text);

// ODBC strings: items separated by ";", values in braces with "}}" for a literal "}".
ConnectionItems ParseOdbcConnectionString(std::string_view text);

// The value of the first item whose key matches without regard to letter case.
std::optional<std::string> FindItem(const ConnectionItems& items, std::string_view key);
// The value of the last such item.
std::optional<std::string> FindLastItem(const ConnectionItems& items, std::string_view key);

// An ODBC string from items; values that need it are put in braces.
std::string FormatOdbcConnectionString(const ConnectionItems& items);

// What the translation needs to know about the machine's ODBC set-up.
struct OdbcDriverLookup {
    // True when a driver of that name is installed.
    std::function<bool(std::string_view driver)> DriverInstalled;
    // The driver name behind a data source, or empty when the data source is unknown.
    std::function<std::string(std::string_view dataSource)> DriverOfDataSource;
};

// Turns a program connection string into the ODBC string to connect with. Throws DatabaseError
// with a message for the user when the string cannot be used on this machine: an unknown or
// unavailable provider, a missing SQLite file, no data source at all.
std::string TranslateToOdbc(std::string_view connectionString, const OdbcDriverLookup& lookup);

}  // namespace vorlanex::db
