// Connections that cannot be made fail with the driver's message, quickly and without a prompt.
#include <gtest/gtest.h>

#include <chrono>

#include "DatabaseTestSupport.h"

namespace vorlanex::db::testing {
namespace {

std::string OpenError(const std::string& connectionString) {
    auto connection = CreateOdbcConnection();
    connection->SetConnectionString(connectionString);
    try {
        connection->Open();
    } catch (const DatabaseError& e) {
        EXPECT_FALSE(connection->Connected());
        return e.what();
    }
    ADD_FAILURE() << "opened: " << connectionString;
    return {};
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

TEST(ConnectionFailure, WrongPasswordOnBothServers) {
    for (Engine kind : {Engine::PostgreSQL, Engine::MariaDB}) {
        const std::string password =
            RequiredEnv(kind == Engine::PostgreSQL ? "VORLANEX_TEST_PG_PASSWORD"
                                                   : "VORLANEX_TEST_MARIADB_PASSWORD");
        const std::string good = ServerConnectionString(kind);
        const std::string message = OpenError(Replace(good, "PWD=" + password, "PWD=wrong"));
        const bool driverText = message.find("authentication failed") != std::string::npos ||
                                message.find("Access denied") != std::string::npos;
        EXPECT_TRUE(driverText) << message;
        EXPECT_EQ(message.find("wrong"), std::string::npos) << "password in message: " << message;
    }
}

TEST(ConnectionFailure, ServerNotRunningFailsFast) {
    for (Engine kind : {Engine::PostgreSQL, Engine::MariaDB}) {
        const std::string port = RequiredEnv(
            kind == Engine::PostgreSQL ? "VORLANEX_TEST_PG_PORT" : "VORLANEX_TEST_MARIADB_PORT");
        // Port 9 (discard) is closed on the loopback interface of a test machine.
        const std::string closed = Replace(ServerConnectionString(kind), "PORT=" + port, "PORT=9");
        const auto start = std::chrono::steady_clock::now();
        const std::string message = OpenError(closed);
        EXPECT_FALSE(message.empty());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    }
}

TEST(ConnectionFailure, MissingSQLiteFileIsNamedAndNotCreated) {
    const auto file = FreshFolder("missing") / "absent.sqlite";
    const std::string message = OpenError("Provider=SQLite;Data Source=" + file.string());
    EXPECT_EQ(message, "The database file \"" + file.string() + "\" does not exist");
    EXPECT_FALSE(std::filesystem::exists(file));

    // Through the ODBC route the driver is told not to create the file either.
    OpenError("Provider=MSDASQL.1;Extended Properties=\"DRIVER={SQLite3};DATABASE=" +
              file.string() + "\"");
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(ConnectionFailure, UnknownDataSourceAndUnavailableProvider) {
    EXPECT_NE(OpenError("Provider=MSDASQL.1;Data Source=vorlanex_no_such_dsn").find("IM002"),
              std::string::npos);
    EXPECT_EQ(OpenError("Provider=MSDAORA.1;Data Source=orcl"),
              "The provider \"MSDAORA.1\" is not available on this machine");
}

}  // namespace
}  // namespace vorlanex::db::testing
