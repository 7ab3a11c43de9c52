#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "db/Database.h"
#include "support/TestServers.h"

namespace vorlanex::db::testing {

using vorlanex::testing::Engine;
using vorlanex::testing::FreshFolder;
using vorlanex::testing::RequiredEnv;
using vorlanex::testing::ServerConnectionString;

// One database the tests run against, with the SQL spellings that differ between them.
struct TestDatabase {
    Engine Kind;
    std::string Name;
    std::string TimestampType;
    std::string DoubleType;
    std::string BooleanType;
    std::string BinaryType;
    std::string TrueLiteral;
    std::string BinaryLiteral;  // of the bytes 00 FF 10 41
    int DecimalCode;            // the catalog's type code for DECIMAL(18,4)
};

// A writable copy of a fixture file in a folder of its own.
inline std::filesystem::path CopyFixture(const std::string& relative, const std::string& tag) {
    const std::filesystem::path source = std::filesystem::path(VORLANEX_FIXTURES_DIR) / relative;
    const auto target = FreshFolder(tag) / source.filename();
    std::filesystem::copy_file(source, target);
    std::filesystem::permissions(target, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    return target;
}

inline std::unique_ptr<IConnection> OpenConnection(const std::string& connectionString) {
    auto connection = CreateOdbcConnection();
    connection->SetConnectionString(connectionString);
    connection->Open();
    return connection;
}

inline void Exec(IConnection& connection, const std::string& sql) {
    auto query = connection.CreateQuery();
    query->SetSQL(sql);
    query->ExecSQL();
}

inline void ExecQuietly(IConnection& connection, const std::string& sql) {
    try {
        Exec(connection, sql);
    } catch (const DatabaseError&) {
    }
}

}  // namespace vorlanex::db::testing
