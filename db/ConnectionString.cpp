#include "db/ConnectionString.h"

#include "model/NameCompare.h"

namespace vorlanex {

namespace {

enum class ValueEnd { AtBlank, AtSemicolon };

// The position of the value after the first occurrence of key, or npos.
size_t valueStart(std::string_view s, std::string_view key) {
    const size_t at = s.find(key);
    return at == std::string_view::npos ? at : at + key.size();
}

std::string readKey(std::string_view s, std::string_view key, ValueEnd rule) {
    size_t pos = valueStart(s, key);
    if (pos == std::string_view::npos || pos >= s.size()) return {};
    const size_t begin = pos;
    while (pos < s.size()) {
        const auto c = static_cast<unsigned char>(s[pos]);
        if (c == ';') break;
        if (rule == ValueEnd::AtBlank && c <= 32) break;
        ++pos;
    }
    return std::string(s.substr(begin, pos - begin));
}

}  // namespace

std::string GetProvider(std::string_view s) { return readKey(s, "Provider=", ValueEnd::AtBlank); }
std::string GetDataSource(std::string_view s) {
    return readKey(s, "Data Source=", ValueEnd::AtSemicolon);
}
std::string GetUserID(std::string_view s) { return readKey(s, "User ID=", ValueEnd::AtBlank); }
std::string GetPassword(std::string_view s) { return readKey(s, "Password=", ValueEnd::AtBlank); }

bool IsODBCConnection(std::string_view s) {
    return ContainsText(UpperAZ(GetProvider(s)), "MSDASQL");
}

bool IsDB2Connection(std::string_view s) {
    return ContainsText(s, "Provider=IBMDADB") || ContainsText(s, "DBALIAS=");
}

DatabaseEngine GetEngineFromProvider(std::string_view s) {
    const std::string provider = UpperAZ(GetProvider(s));
    if (ContainsText(provider, "MSDAORA")) return DatabaseEngine::Oracle;
    if (ContainsText(provider, "ORAOLEDB")) return DatabaseEngine::Oracle;
    if (ContainsText(provider, "SQLOLEDB")) return DatabaseEngine::MSSQLServer;
    if (ContainsText(provider, "MICROSOFT.JET")) return DatabaseEngine::Access;
    if (ContainsText(provider, "IBMDADB2")) return DatabaseEngine::DB2;
    // The embedded default. Matched as the whole provider so that no other name changes.
    if (provider == "SQLITE") return DatabaseEngine::SQLite;
    return kDefaultEngine;
}

DatabaseEngine GetEngineFromDriverDescription(std::string_view description) {
    if (description == "Adaptive Server Enterprise") return DatabaseEngine::Sybase;
    for (size_t i = 0; i < EngineNames.size(); ++i) {
        if (ContainsText(description, EngineNames[i]))
            return EngineFromValue(static_cast<std::uint8_t>(i));
    }
    if (ContainsText(description, "PostgreSQL")) return DatabaseEngine::PostgreSQL;
    if (ContainsText(description, "MySQL") || ContainsText(description, "MariaDB"))
        return DatabaseEngine::MySQL;
    if (ContainsText(description, "SQLite")) return DatabaseEngine::SQLite;
    return kDefaultEngine;
}

std::string ApplyLogin(std::string_view s, std::string_view userID, std::string_view password) {
    std::string result(s);
    const std::string old = GetUserID(s);
    if (old.empty()) {
        result += ";User ID=";
        result += userID;
    } else if (old != userID) {
        const std::string needle = UpperAZ(std::string("User ID=") + old);
        const size_t at = UpperAZ(result).find(needle);
        if (at != std::string::npos)
            result.replace(at, needle.size(), std::string("User ID=") + std::string(userID));
    }
    if (GetPassword(s).empty()) {
        result += ";Password=";
        result += password;
    }
    return result;
}

std::string RemovePassword(std::string_view s) {
    // Every item goes, not just the first: after ApplyLogin a string can carry an empty
    // provider-specific password key in front of the real one.
    std::string result(s);
    for (size_t at = result.find("Password="); at != std::string::npos;
         at = result.find("Password=")) {
        // The item runs from the start of its key to its ";" (included) or the end of the string.
        size_t begin = at;
        while (begin > 0 && result[begin - 1] != ';')
            --begin;
        const size_t end = result.find(';', at);
        if (end != std::string::npos) {
            result.erase(begin, end + 1 - begin);
        } else {
            result.erase(begin);
            if (!result.empty() && result.back() == ';')
                result.pop_back();
        }
    }
    return result;
}

}  // namespace vorlanex
