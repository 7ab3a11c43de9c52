#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "db/Database.h"
#include "db/OdbcConnectionString.h"

namespace vorlanex::db {
namespace {

TEST(OleDbParser, QuotesBracesAndBlanks) {
    const auto items = ParseOleDbConnectionString(
        " Provider = MSDASQL.1 ;Extended Properties=\"DSN=a;PWD=x\"\"y\";Password='it''s';"
        "Key==Name=v;Data Source=Payroll Live;X={a;b};;");
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0].Key, "Provider");
    EXPECT_EQ(items[0].Value, "MSDASQL.1");
    EXPECT_EQ(items[1].Value, "DSN=a;PWD=x\"y");
    EXPECT_EQ(items[2].Value, "it's");
    EXPECT_EQ(items[3].Key, "Key=Name");
    EXPECT_EQ(items[4].Value, "Payroll Live");
    EXPECT_EQ(items[5].Value, "{a;b}");
    EXPECT_EQ(FindItem(items, "data source"), "Payroll Live");
    EXPECT_FALSE(FindItem(items, "User ID"));
}

TEST(OleDbParser, MalformedStringsAreRejectedWithAMessage) {
    for (const char* text :
         {"Provider=SQLite;Data Source=\"unterminated", "Provider=x;justtext", "DRIVER={open"}) {
        EXPECT_THROW(ParseOleDbConnectionString(text), DatabaseError) << text;
    }
    // The message is shown to people: it never repeats what may be a password.
    for (const char* text : {"Provider=MSDASQL;Password=\"s3cret;DSN=x", "Password=s3;cret"}) {
        try {
            ParseOleDbConnectionString(text);
            ADD_FAILURE() << text;
        } catch (const DatabaseError& error) {
            EXPECT_EQ(std::string(error.what()).find("cret"), std::string::npos) << error.what();
        }
    }
    EXPECT_THROW(ParseOdbcConnectionString("DRIVER={PostgreSQL"), DatabaseError);
}

TEST(OdbcParser, BracedValuesRoundTrip) {
    const auto items = ParseOdbcConnectionString("DRIVER={PostgreSQL Unicode};PWD={a;b}}c};UID=u");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].Value, "PostgreSQL Unicode");
    EXPECT_EQ(items[1].Value, "a;b}c");
    EXPECT_EQ(FormatOdbcConnectionString(items), "DRIVER={PostgreSQL Unicode};PWD={a;b}}c};UID=u");
}

OdbcDriverLookup FakeMachine(std::vector<std::string> drivers) {
    OdbcDriverLookup lookup;
    lookup.DriverInstalled = [drivers](std::string_view name) {
        for (const auto& d : drivers)
            if (d == name)
                return true;
        return false;
    };
    lookup.DriverOfDataSource = [](std::string_view dsn) -> std::string {
        return dsn == "pgdsn" ? "PostgreSQL Unicode" : "";
    };
    return lookup;
}

TEST(Translation, OdbcRoutes) {
    const auto machine = FakeMachine({"SQLite3"});
    struct Case {
        const char* input;
        const char* expected;
    };
    const Case cases[] = {
        {"Provider=MSDASQL.1;Persist Security Info=False;User ID=u1;Data Source=Payroll Live",
         "DSN=Payroll Live;UID=u1"},
        {"Provider=msdasql;Data Source=x;Extended Properties=\"UID=own\";User ID=u;Password=p",
         "DSN=x;UID=own;PWD=p"},
        {"Provider=MSDASQL;Extended Properties=\"DRIVER={MariaDB Unicode};SERVER=h\";"
         "Initial Catalog=shop",
         "DRIVER={MariaDB Unicode};SERVER=h;DATABASE=shop;CHARSET=utf8mb4"},
        {"Provider=MSDASQL;Data Source=pgdsn;Password=ab",
         "DSN=pgdsn;PWD=ab;BoolsAsChar=0;UseDeclareFetch=1;Fetch=1000;Protocol=7.4-2"},
        {"DSN=plain;UID=u", "DSN=plain;UID=u"},
        {"Provider=MSDASQL;Data Source=d;Password=\"p;w\"", "DSN=d;PWD={p;w}"},
        // The login typed into a string that held an empty one is appended: it wins.
        {"Provider=MSDASQL;Data Source=d;User ID=;Password=;User ID=typed;Password=pw",
         "DSN=d;UID=typed;PWD=pw"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TranslateToOdbc(c.input, machine), c.expected) << c.input;
}

TEST(Translation, SQLiteFileMustExist) {
    const auto folder = std::filesystem::temp_directory_path() / "vorlanex-translation";
    std::filesystem::create_directories(folder);
    const auto file = folder / "a;b.db";
    std::ofstream(file).close();
    const auto machine = FakeMachine({"SQLite3"});
    EXPECT_EQ(
        TranslateToOdbc("Provider=SQLite;Data Source=\"" + file.string() + "\"", machine),
        "DRIVER={SQLite3};DATABASE={" + file.string() + "};NoCreat=1;StepAPI=1;Timeout=10000");
    try {
        TranslateToOdbc("Provider=SQLite;Data Source=" + folder.string() + "/none.db", machine);
        FAIL();
    } catch (const DatabaseError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The database file \"" + folder.string() + "/none.db\" does not exist");
    }
    EXPECT_THROW(TranslateToOdbc("Provider=SQLite;Data Source=" + folder.string(), machine),
                 DatabaseError);
    std::filesystem::remove_all(folder);
}

TEST(Translation, UnusableStringsGiveClearMessages) {
    const auto noTds = FakeMachine({"SQLite3"});
    struct Case {
        const char* input;
        const char* message;
    };
    const Case cases[] = {
        {"", "The connection string is empty"},
        {"Provider=MSDASQL.1", "The connection string names no ODBC data source or driver"},
        {"Provider=OraOLEDB.Oracle.1;Data Source=x",
         "The provider \"OraOLEDB.Oracle.1\" is not available on this machine"},
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb",
         "The provider \"Microsoft.Jet.OLEDB.4.0\" is not available on this machine"},
        {"Provider=SQLOLEDB.1;Data Source=srv",
         "The provider \"SQLOLEDB.1\" is not available on this machine: "
         "The ODBC driver \"FreeTDS\" is not installed"},
        {"Provider=SQLite", "The connection string names no SQLite database file"},
    };
    for (const auto& c : cases) {
        try {
            TranslateToOdbc(c.input, noTds);
            ADD_FAILURE() << "translated: " << c.input;
        } catch (const DatabaseError& e) {
            EXPECT_EQ(std::string(e.what()), c.message) << c.input;
        }
    }
}

TEST(Translation, SqlServerGoesThroughFreeTDS) {
    EXPECT_EQ(TranslateToOdbc("Provider=SQLOLEDB.1;Data Source=db1,1433;Initial Catalog=sales;"
                              "User ID=sa;Password=pw",
                              FakeMachine({"FreeTDS"})),
              "DRIVER={FreeTDS};SERVER=db1;PORT=1433;UID=sa;PWD=pw;DATABASE=sales;"
              "ClientCharset=UTF-8");
}

}  // namespace
}  // namespace vorlanex::db
