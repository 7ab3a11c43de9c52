#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// What every integration test needs of the test servers that scripts/test-servers starts.
namespace vorlanex::testing {

enum class Engine { SQLite, PostgreSQL, MariaDB };

inline const char* EngineName(Engine engine) {
    switch (engine) {
        case Engine::SQLite:
            return "SQLite";
        case Engine::PostgreSQL:
            return "PostgreSQL";
        case Engine::MariaDB:
            return "MariaDB";
    }
    return "?";
}

// A test that needs a server it cannot find fails; it never skips.
inline std::string RequiredEnv(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) {
        ADD_FAILURE() << name << " is not set: start the servers with scripts/test-servers";
        return {};
    }
    return value;
}

// A folder of the test's own, emptied first.
inline std::filesystem::path FreshFolder(const std::string& tag) {
    auto folder = std::filesystem::temp_directory_path() /
                  ("vorlanex-test-" + tag + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// The program's connection string for a server, in the form the connection panel produces.
inline std::string ServerConnectionString(Engine kind) {
    const std::string odbc = RequiredEnv(kind == Engine::PostgreSQL ? "VORLANEX_TEST_PG_CONN"
                                                                    : "VORLANEX_TEST_MARIADB_CONN");
    return "Provider=MSDASQL.1;Extended Properties=\"" + odbc + "\"";
}

}  // namespace vorlanex::testing
