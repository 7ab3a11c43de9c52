#include "db/ConnectionString.h"

#include <algorithm>

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
    if (pos == std::string_view::npos || pos >= s.size())
        return {};
    const size_t begin = pos;
    while (pos < s.size()) {
        const auto c = static_cast<unsigned char>(s[pos]);
        if (c == ';')
            break;
        if (rule == ValueEnd::AtBlank && c <= 32)
            break;
        ++pos;
    }
    return std::string(s.substr(begin, pos - begin));
}

// A typed password is free text: it is quoted when it holds what would otherwise end or reshape
// its item (";", quotes, braces) or blanks at its ends, which the connection string drops.
std::string loginValue(std::string_view value) {
    const bool plain = value.empty() || (value.find_first_of(";\"'{}") == std::string_view::npos &&
                                         static_cast<unsigned char>(value.front()) > 32 &&
                                         static_cast<unsigned char>(value.back()) > 32);
    if (plain)
        return std::string(value);
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

}  // namespace

std::string GetProvider(std::string_view s) {
    return readKey(s, "Provider=", ValueEnd::AtBlank);
}
std::string GetDataSource(std::string_view s) {
    return readKey(s, "Data Source=", ValueEnd::AtSemicolon);
}
std::string GetUserID(std::string_view s) {
    return readKey(s, "User ID=", ValueEnd::AtBlank);
}
std::string GetPassword(std::string_view s) {
    return readKey(s, "Password=", ValueEnd::AtBlank);
}

bool IsODBCConnection(std::string_view s) {
    return ContainsText(UpperAZ(GetProvider(s)), "MSDASQL");
}

bool IsDB2Connection(std::string_view s) {
    return ContainsText(s, "Provider=IBMDADB") || ContainsText(s, "DBALIAS=");
}

DatabaseEngine GetEngineFromProvider(std::string_view s) {
    const std::string provider = UpperAZ(GetProvider(s));
    if (ContainsText(provider, "MSDAORA"))
        return DatabaseEngine::Oracle;
    if (ContainsText(provider, "ORAOLEDB"))
        return DatabaseEngine::Oracle;
    if (ContainsText(provider, "SQLOLEDB"))
        return DatabaseEngine::MSSQLServer;
    if (ContainsText(provider, "MICROSOFT.JET"))
        return DatabaseEngine::Access;
    if (ContainsText(provider, "IBMDADB2"))
        return DatabaseEngine::DB2;
    // The embedded default. Matched as the whole provider so that no other name changes.
    if (provider == "SQLITE")
        return DatabaseEngine::SQLite;
    return kDefaultEngine;
}

DatabaseEngine GetEngineFromDriverDescription(std::string_view description) {
    if (description == "Adaptive Server Enterprise")
        return DatabaseEngine::Sybase;
    for (size_t i = 0; i < EngineNames.size(); ++i) {
        if (ContainsText(description, EngineNames[i]))
            return EngineFromValue(static_cast<std::uint8_t>(i));
    }
    if (ContainsText(description, "PostgreSQL"))
        return DatabaseEngine::PostgreSQL;
    if (ContainsText(description, "MySQL") || ContainsText(description, "MariaDB"))
        return DatabaseEngine::MySQL;
    if (ContainsText(description, "SQLite"))
        return DatabaseEngine::SQLite;
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
        result += loginValue(password);
    }
    return result;
}

std::string RemovePassword(std::string_view s) {
    // Every item goes, not just the first: after ApplyLogin a string can carry an empty
    // provider-specific password key in front of the real one. Items are cut at the ";" that
    // separate them, never at one inside quotes or braces, so a quoted value such as the ODBC
    // string of "Extended Properties" keeps its quotes and loses only its own password items.
    std::string result;
    bool first = true;
    size_t pos = 0;
    for (;;) {
        const size_t begin = pos;
        size_t quoteBegin = std::string_view::npos, quoteEnd = std::string_view::npos;
        size_t equals = s.find('=', pos);
        while (equals != std::string_view::npos && equals + 1 < s.size() && s[equals + 1] == '=')
            equals = s.find('=', equals + 2);
        const size_t semicolon = s.find(';', pos);
        if (equals != std::string_view::npos &&
            (semicolon == std::string_view::npos || equals < semicolon)) {
            pos = equals + 1;
            while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t'))
                ++pos;
            if (pos < s.size() && (s[pos] == '"' || s[pos] == '\'')) {
                const char quote = s[pos];
                quoteBegin = pos + 1;
                for (++pos; pos < s.size(); ++pos) {
                    if (s[pos] != quote)
                        continue;
                    if (pos + 1 < s.size() && s[pos + 1] == quote) {
                        ++pos;
                        continue;
                    }
                    break;
                }
                quoteEnd = pos;
            }
        }
        int braces = 0;
        while (pos < s.size() && (s[pos] != ';' || braces > 0)) {
            if (s[pos] == '{')
                ++braces;
            else if (s[pos] == '}' && braces > 0)
                --braces;
            ++pos;
        }
        std::string item(s.substr(begin, pos - begin));
        const size_t password = item.find("Password=");
        bool keep = password == std::string::npos;
        if (!keep && quoteBegin != std::string_view::npos && password >= quoteBegin - begin &&
            item.find("Password=", quoteEnd - begin) == std::string::npos) {
            // Only the quoted value holds a password: remove it there.
            const size_t innerBegin = quoteBegin - begin;
            const size_t innerLength = std::min(quoteEnd, pos) - quoteBegin;
            item.replace(innerBegin, innerLength,
                         RemovePassword(std::string_view(item).substr(innerBegin, innerLength)));
            keep = true;
        }
        if (keep) {
            if (!first)
                result += ';';
            result += item;
            first = false;
        }
        if (pos >= s.size())
            break;
        ++pos;
    }
    return result;
}

}  // namespace vorlanex
