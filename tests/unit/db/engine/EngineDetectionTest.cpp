// Engine detection against a data source list of the test's own. unixODBC takes the folder of
// the system list from ODBCSYSINI once per process, at the first environment handle, and reads
// the file again at every enumeration; the description it returns for a system data source is
// the value of the data source's Driver key.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "db/ConnectionString.h"
#include "model/DatabaseEngine.h"

namespace vorlanex {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDriversIni = R"([Adaptive Server Enterprise]
Driver=/opt/sybase/lib/libsybdrvodb.so

[Adaptive Server Enterprise 15]
Driver=/opt/sybase15/lib/libsybdrvodb.so

[Sybase SQL Anywhere 12]
Driver=/opt/sqlanywhere12/lib64/libdbodbc12.so

[SQL Server Native Client 11.0]
Driver=/opt/microsoft/sqlncli/lib64/libsqlncli-11.0.so

[Microsoft Access Driver (*.mdb)]
Driver=/usr/lib/x86_64-linux-gnu/odbc/libmdbodbc.so

[PostgreSQL Unicode]
Driver=psqlodbcw.so

[MariaDB Unicode]
Driver=libmaodbc.so

[SQLite3]
Driver=libsqlite3odbc.so
)";

// The names in [ODBC Data Sources] are what a Windows list would carry; unixODBC lists the
// sections themselves.
constexpr const char* kSystemIni = R"([ODBC Data Sources]
ASE = Adaptive Server Enterprise
Listed Only = SQL Server Native Client 11.0

[ASE]
Driver=Adaptive Server Enterprise
Description=Accounts on the old Sybase box

[ASE15]
Driver=Adaptive Server Enterprise 15

[SQL Anywhere]
Driver=Sybase SQL Anywhere 12

[Payroll Live]
Driver=SQL Server Native Client 11.0
Server=payroll

[Access Files]
Driver=Microsoft Access Driver (*.mdb)

[Warehouse]
Driver=PostgreSQL Unicode

[Shop]
Driver=MariaDB Unicode

[Local Lite]
Driver=SQLite3
Database=/tmp/vorlanex-never-created.db

[Bare]
Database=/tmp/nothing.db
)";

// A data source of the user's own: never consulted.
constexpr const char* kUserIni = R"([Only Mine]
Driver=SQL Server Native Client 11.0
)";

void writeFile(const fs::path& path, const char* text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    ASSERT_TRUE(out.good()) << path;
}

class OdbcListEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        char pattern[] = "/tmp/vorlanex-odbc-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        s_folder = pattern;
        writeFile(s_folder / "odbcinst.ini", kDriversIni);
        writeFile(s_folder / "odbc.ini", kSystemIni);
        writeFile(s_folder / "user-odbc.ini", kUserIni);
        ::setenv("ODBCSYSINI", s_folder.c_str(), 1);
        ::setenv("ODBCINI", (s_folder / "user-odbc.ini").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(s_folder); }

    static fs::path s_folder;
};
fs::path OdbcListEnvironment::s_folder;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new OdbcListEnvironment);

using E = DatabaseEngine;

TEST(GetEngineFromDSN, ByTheDriverOfTheSystemDataSource) {
    struct Case {
        const char* name;
        DatabaseEngine engine;
    };
    const Case cases[] = {
        {"ASE", E::Sybase},
        {"ASE15", E::SybaseSQLAnywhere},
        {"SQL Anywhere", E::SybaseSQLAnywhere},
        {"Payroll Live", E::MSSQLServer},
        {"Access Files", E::Access},
        {"Warehouse", E::PostgreSQL},
        {"Shop", E::MySQL},
        {"Local Lite", E::SQLite},
        // Letter case does not matter to the driver manager, so it does not here either.
        {"payroll live", E::MSSQLServer},
        {"PAYROLL LIVE", E::MSSQLServer},
        {"Payroll Live ", E::SybaseSQLAnywhere},
        {"Payroll", E::SybaseSQLAnywhere},
        {"Bare", E::SybaseSQLAnywhere},
        {"Only Mine", E::SybaseSQLAnywhere},
        {"Listed Only", E::SybaseSQLAnywhere},
        {"ODBC Data Sources", E::SybaseSQLAnywhere},
        {"Nowhere", E::SybaseSQLAnywhere},
        {"", E::SybaseSQLAnywhere},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetEngineFromDSN(c.name), c.engine) << c.name;
}

TEST(GetEngineFromDSN, ListThatCannotBeRead) {
    const fs::path list = OdbcListEnvironment::s_folder / "odbc.ini";
    const fs::path aside = OdbcListEnvironment::s_folder / "odbc.ini.aside";
    fs::rename(list, aside);
    const E withoutList = GetEngineFromDSN("Payroll Live");
    fs::rename(aside, list);
    EXPECT_EQ(withoutList, E::SybaseSQLAnywhere);
    EXPECT_EQ(GetEngineFromDSN("Payroll Live"), E::MSSQLServer);  // read again, not cached
}

TEST(GetConnectionEngine, OdbcStringsConsultTheList) {
    struct Case {
        const char* text;
        DatabaseEngine engine;
    };
    const Case cases[] = {
        {"Provider=MSDASQL.1;Persist Security Info=False;User ID=u1;Data Source=Payroll Live",
         E::MSSQLServer},
        {"Provider=msdasql;Data Source=ASE", E::Sybase},
        {"Provider=MSDASQL;Data Source=Nowhere", E::SybaseSQLAnywhere},
        {"Provider=MSDASQL", E::SybaseSQLAnywhere},
        // Not in the list, but the string names its driver.
        {"Provider=MSDASQL;Extended Properties=\"DRIVER={PostgreSQL Unicode};SERVER=db\"",
         E::PostgreSQL},
        {"Provider=MSDASQL;Data Source=Nowhere;Extended Properties=\"Driver={MariaDB Unicode}\"",
         E::MySQL},
        {"Provider=MSDASQL;Extended Properties=\"DSN=;driver=SQLite3;Database=/tmp/a.db\"",
         E::SQLite},
        {"Provider=MSDASQL;Extended Properties=\"DRIVER={Adaptive Server Enterprise}\"", E::Sybase},
        {"Provider=MSDASQL;Extended Properties=\"MYDRIVER={SQLite3}\"", E::SybaseSQLAnywhere},
        // A listed data source wins over a driver named in the string.
        {"Provider=MSDASQL;Data Source=Warehouse;Extended Properties=\"DRIVER={MariaDB Unicode}\"",
         E::PostgreSQL},
        // Only ODBC strings look at the list.
        {"Provider=IBMDADB2;Data Source=Payroll Live", E::DB2},
        {"Provider=SQLite;Data Source=Warehouse", E::SQLite},
        {"Provider= MSDASQL;Data Source=Payroll Live", E::SybaseSQLAnywhere},
        {"", E::SybaseSQLAnywhere},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetConnectionEngine(c.text), c.engine) << c.text;
}

}  // namespace
}  // namespace vorlanex
