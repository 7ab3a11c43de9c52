#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vorlanex {

// The engine of a database, 8 bits wide. Values from 9 to 255 are "other" engines and never an
// error; 255 is what an engine box without a selection gives.
enum class DatabaseEngine : std::uint8_t {
    Access = 0,
    DB2 = 1,
    MSSQLServer = 2,
    Oracle = 3,
    SybaseSQLAnywhere = 4,
    Sybase = 5,
    PostgreSQL = 6,
    MySQL = 7,
    SQLite = 8,
};

constexpr DatabaseEngine kDefaultEngine = DatabaseEngine::SybaseSQLAnywhere;
constexpr std::uint8_t kNoEngineSelected = 255;

constexpr std::uint8_t EngineValue(DatabaseEngine engine) noexcept {
    return static_cast<std::uint8_t>(engine);
}
constexpr DatabaseEngine EngineFromValue(std::uint8_t value) noexcept {
    return static_cast<DatabaseEngine>(value);
}

// Searched for, in this order, in ODBC driver descriptions.
inline constexpr std::array<std::string_view, 6> EngineNames = {
    "Access", "DB2", "SQL Server", "Oracle", "Sybase SQL Anywhere", "Sybase"};

// Captions of the destination engine box; an item's index is its engine value.
inline constexpr std::array<std::string_view, 9> EngineCaptions = {
    "Access", "DB2",        "MS SQL Server",   "Oracle", "Sybase SQL Anywhere",
    "Sybase", "PostgreSQL", "MySQL / MariaDB", "SQLite"};

}  // namespace vorlanex
