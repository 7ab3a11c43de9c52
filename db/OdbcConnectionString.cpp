#include "db/OdbcConnectionString.h"

#include <filesystem>
#include <system_error>

#include "db/Database.h"
#include "model/NameCompare.h"

namespace vorlanex::db {

namespace {

constexpr std::string_view kEmptyString = "The connection string is empty";
// The messages never quote the string itself: it may hold a password.
constexpr std::string_view kUnterminatedQuote =
    "The connection string has an unterminated quote in the value of ";
constexpr std::string_view kUnterminatedBrace = "The connection string has an unterminated brace";
constexpr std::string_view kItemWithoutEquals =
    "The connection string has an item without \"=\": item ";
constexpr std::string_view kProviderNotAvailable =
    "The provider \"%\" is not available on this machine";
constexpr std::string_view kNoDataSource =
    "The connection string names no ODBC data source or driver";
constexpr std::string_view kNoSQLiteFile = "The connection string names no SQLite database file";
constexpr std::string_view kSQLiteFileMissing = "The database file \"%\" does not exist";
constexpr std::string_view kSQLiteNotAFile = "The database \"%\" is not a file";
constexpr std::string_view kDriverMissing = "The ODBC driver \"%\" is not installed";

constexpr std::string_view kSQLiteDriver = "SQLite3";
constexpr std::string_view kFreeTDSDriver = "FreeTDS";

std::string Fill(std::string_view pattern, std::string_view value) {
    std::string text(pattern);
    const size_t at = text.find('%');
    if (at != std::string::npos)
        text.replace(at, 1, value);
    return text;
}

bool IsBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlankChar(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlankChar(s.back()))
        s.remove_suffix(1);
    return s;
}

bool StartsWithUpper(std::string_view text, std::string_view prefixUpper) {
    return UpperAZ(text).rfind(prefixUpper, 0) == 0;
}

// Reads a braced run starting at s[pos] == '{' and returns the position after its closing
// brace; "}}" inside stands for one "}". The run's text goes to out, braces included when keep.
size_t ReadBraced(std::string_view s, size_t pos, std::string& out, bool keep) {
    if (keep)
        out += '{';
    for (++pos; pos < s.size(); ++pos) {
        if (s[pos] == '}') {
            if (pos + 1 < s.size() && s[pos + 1] == '}') {
                out += keep ? "}}" : "}";
                ++pos;
                continue;
            }
            if (keep)
                out += '}';
            return pos + 1;
        }
        out += s[pos];
    }
    throw DatabaseError(std::string(kUnterminatedBrace));
}

enum class Dialect { OleDb, Odbc };

ConnectionItems Parse(std::string_view s, Dialect dialect) {
    ConnectionItems items;
    size_t pos = 0;
    while (pos < s.size()) {
        while (pos < s.size() && (IsBlankChar(s[pos]) || s[pos] == ';'))
            ++pos;
        if (pos >= s.size())
            break;

        std::string key;
        bool sawEquals = false;
        while (pos < s.size()) {
            const char c = s[pos];
            if (c == '=') {
                if (dialect == Dialect::OleDb && pos + 1 < s.size() && s[pos + 1] == '=') {
                    key += '=';
                    pos += 2;
                    continue;
                }
                sawEquals = true;
                ++pos;
                break;
            }
            if (c == ';')
                break;
            key += c;
            ++pos;
        }
        if (!sawEquals)
            throw DatabaseError(std::string(kItemWithoutEquals) + std::to_string(items.size() + 1));

        while (pos < s.size() && IsBlankChar(s[pos]))
            ++pos;
        std::string value;
        if (pos < s.size() && dialect == Dialect::OleDb && (s[pos] == '"' || s[pos] == '\'')) {
            const char quote = s[pos];
            bool closed = false;
            for (++pos; pos < s.size(); ++pos) {
                if (s[pos] == quote) {
                    if (pos + 1 < s.size() && s[pos + 1] == quote) {
                        value += quote;
                        ++pos;
                        continue;
                    }
                    closed = true;
                    ++pos;
                    break;
                }
                value += s[pos];
            }
            if (!closed)
                throw DatabaseError(std::string(kUnterminatedQuote) + key);
            while (pos < s.size() && s[pos] != ';')
                ++pos;
        } else if (pos < s.size() && dialect == Dialect::Odbc && s[pos] == '{') {
            pos = ReadBraced(s, pos, value, false);
            while (pos < s.size() && s[pos] != ';')
                ++pos;
        } else {
            while (pos < s.size() && s[pos] != ';') {
                if (s[pos] == '{' && dialect == Dialect::OleDb) {
                    pos = ReadBraced(s, pos, value, true);
                    continue;
                }
                value += s[pos++];
            }
            value = std::string(Trim(value));
        }
        items.push_back({std::string(Trim(key)), std::move(value)});
    }
    return items;
}

bool NeedsBraces(std::string_view value) {
    if (value.empty())
        return false;
    if (IsBlankChar(value.front()) || IsBlankChar(value.back()))
        return true;
    return value.find_first_of(";{}=") != std::string_view::npos;
}

void SetDefault(ConnectionItems& items, std::string_view key, std::string value) {
    if (!FindItem(items, key))
        items.push_back({std::string(key), std::move(value)});
}

// Carries the login and the database of the OLE DB items over into ODBC items that lack them.
void AddLogin(const ConnectionItems& oleDb, ConnectionItems& odbc) {
    // The login is appended to the string the user chose, so its last occurrence is the one
    // that counts, as with any repeated OLE DB keyword.
    if (auto user = FindLastItem(oleDb, "User ID"); user && !FindItem(odbc, "UID"))
        odbc.push_back({"UID", *user});
    if (auto password = FindLastItem(oleDb, "Password"); password && !FindItem(odbc, "PWD"))
        odbc.push_back({"PWD", *password});
    if (auto catalog = FindItem(oleDb, "Initial Catalog");
        catalog && !catalog->empty() && !FindItem(odbc, "DATABASE"))
        odbc.push_back({"DATABASE", *catalog});
}

// Options that make each known driver stream large results, report booleans as such and hand
// text over as UTF-8 bytes; an option the string sets itself is left as it is.
void AddDriverDefaults(std::string_view driver, ConnectionItems& odbc) {
    const std::string upper = UpperAZ(driver);
    if (ContainsText(upper, "POSTGRES")) {
        SetDefault(odbc, "BoolsAsChar", "0");
        SetDefault(odbc, "UseDeclareFetch", "1");
        SetDefault(odbc, "Fetch", "1000");
        // A failing statement inside a transaction rolls back that statement alone.
        SetDefault(odbc, "Protocol", "7.4-2");
    } else if (ContainsText(upper, "MARIADB") || ContainsText(upper, "MYSQL")) {
        SetDefault(odbc, "CHARSET", "utf8mb4");
    } else if (ContainsText(upper, "SQLITE")) {
        SetDefault(odbc, "NoCreat", "1");
        SetDefault(odbc, "StepAPI", "1");
        SetDefault(odbc, "Timeout", "10000");
    } else if (ContainsText(upper, "FREETDS")) {
        SetDefault(odbc, "ClientCharset", "UTF-8");
    }
}

// Keys of the OLE DB layer itself, which an ODBC driver would not know.
bool IsOleDbKey(std::string_view key) {
    for (std::string_view known :
         {"Provider", "Data Source", "User ID", "Password", "Initial Catalog",
          "Persist Security Info", "Extended Properties"}) {
        if (SameName(key, known))
            return true;
    }
    return false;
}

std::string TranslateOdbc(const ConnectionItems& oleDb, bool plainOdbc,
                          const OdbcDriverLookup& lookup) {
    ConnectionItems odbc;
    if (auto extended = FindItem(oleDb, "Extended Properties"))
        odbc = ParseOdbcConnectionString(*extended);
    else if (plainOdbc) {
        for (const auto& item : oleDb) {
            if (!IsOleDbKey(item.Key))
                odbc.push_back(item);
        }
    }
    const bool namesSource =
        FindItem(odbc, "DSN") || FindItem(odbc, "DRIVER") || FindItem(odbc, "FILEDSN");
    if (!namesSource) {
        const std::string dataSource = FindItem(oleDb, "Data Source").value_or("");
        if (dataSource.empty())
            throw DatabaseError(std::string(kNoDataSource));
        odbc.insert(odbc.begin(), {"DSN", dataSource});
    }
    AddLogin(oleDb, odbc);
    std::string driver = FindItem(odbc, "DRIVER").value_or("");
    if (driver.empty() && lookup.DriverOfDataSource) {
        if (auto dsn = FindItem(odbc, "DSN"))
            driver = lookup.DriverOfDataSource(*dsn);
    }
    AddDriverDefaults(driver, odbc);
    return FormatOdbcConnectionString(odbc);
}

std::string TranslateSQLite(const ConnectionItems& oleDb, const OdbcDriverLookup& lookup) {
    const std::string file = FindItem(oleDb, "Data Source").value_or("");
    if (file.empty())
        throw DatabaseError(std::string(kNoSQLiteFile));
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (!std::filesystem::exists(status))
        throw DatabaseError(Fill(kSQLiteFileMissing, file));
    if (std::filesystem::is_directory(status))
        throw DatabaseError(Fill(kSQLiteNotAFile, file));
    if (lookup.DriverInstalled && !lookup.DriverInstalled(kSQLiteDriver))
        throw DatabaseError(Fill(kDriverMissing, kSQLiteDriver));
    ConnectionItems odbc{{"DRIVER", std::string(kSQLiteDriver)}, {"DATABASE", file}};
    AddDriverDefaults(kSQLiteDriver, odbc);
    return FormatOdbcConnectionString(odbc);
}

std::string TranslateSqlServer(const std::string& provider, const ConnectionItems& oleDb,
                               const OdbcDriverLookup& lookup) {
    if (!lookup.DriverInstalled || !lookup.DriverInstalled(kFreeTDSDriver))
        throw DatabaseError(Fill(kProviderNotAvailable, provider) + ": " +
                            Fill(kDriverMissing, kFreeTDSDriver));
    ConnectionItems odbc{{"DRIVER", std::string(kFreeTDSDriver)}};
    std::string server = FindItem(oleDb, "Data Source").value_or("");
    // SQL Server writes "host,port"; FreeTDS takes the port on its own.
    if (const size_t comma = server.find(','); comma != std::string::npos) {
        odbc.push_back({"SERVER", std::string(Trim(std::string_view(server).substr(0, comma)))});
        odbc.push_back({"PORT", std::string(Trim(std::string_view(server).substr(comma + 1)))});
    } else {
        odbc.push_back({"SERVER", server});
    }
    AddLogin(oleDb, odbc);
    AddDriverDefaults(kFreeTDSDriver, odbc);
    return FormatOdbcConnectionString(odbc);
}

}  // namespace

ConnectionItems ParseOleDbConnectionString(std::string_view text) {
    return Parse(text, Dialect::OleDb);
}

ConnectionItems ParseOdbcConnectionString(std::string_view text) {
    return Parse(text, Dialect::Odbc);
}

std::optional<std::string> FindItem(const ConnectionItems& items, std::string_view key) {
    for (const auto& item : items) {
        if (SameName(item.Key, key))
            return item.Value;
    }
    return std::nullopt;
}

std::optional<std::string> FindLastItem(const ConnectionItems& items, std::string_view key) {
    for (auto item = items.rbegin(); item != items.rend(); ++item) {
        if (SameName(item->Key, key))
            return item->Value;
    }
    return std::nullopt;
}

std::string FormatOdbcConnectionString(const ConnectionItems& items) {
    std::string text;
    for (const auto& item : items) {
        if (!text.empty())
            text += ';';
        text += item.Key;
        text += '=';
        if (NeedsBraces(item.Value) || SameName(item.Key, "DRIVER")) {
            text += '{';
            for (char c : item.Value) {
                text += c;
                if (c == '}')
                    text += '}';
            }
            text += '}';
        } else {
            text += item.Value;
        }
    }
    return text;
}

std::string TranslateToOdbc(std::string_view connectionString, const OdbcDriverLookup& lookup) {
    if (Trim(connectionString).empty())
        throw DatabaseError(std::string(kEmptyString));
    const ConnectionItems items = ParseOleDbConnectionString(connectionString);
    const auto providerItem = FindItem(items, "Provider");
    const std::string provider(Trim(providerItem.value_or("")));
    // Without a provider the string is taken as ODBC, as the OLE DB layer does by default.
    if (provider.empty())
        return TranslateOdbc(items, !providerItem.has_value(), lookup);
    if (StartsWithUpper(provider, "MSDASQL"))
        return TranslateOdbc(items, false, lookup);
    if (StartsWithUpper(provider, "SQLITE"))
        return TranslateSQLite(items, lookup);
    if (StartsWithUpper(provider, "SQLOLEDB") || StartsWithUpper(provider, "MSOLEDBSQL") ||
        StartsWithUpper(provider, "SQLNCLI"))
        return TranslateSqlServer(provider, items, lookup);
    throw DatabaseError(Fill(kProviderNotAvailable, provider));
}

}  // namespace vorlanex::db
