#include <gtest/gtest.h>

#include <string>

#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/OdbcConnectionString.h"
#include "model/DatabaseEngine.h"
#include "model/SharedRecords.h"

namespace vorlanex {
namespace {

TEST(ConnectionString, KeyReaders) {
    struct Case {
        const char* text;
        const char* provider;
        const char* dataSource;
        const char* userID;
        const char* password;
    };
    const Case cases[] = {
        {"Provider=MSDASQL.1;Persist Security Info=False;User ID=u1;Data Source=Payroll Live",
         "MSDASQL.1", "Payroll Live", "u1", ""},
        {"", "", "", "", ""},
        {"provider=SQLOLEDB.1;data source=srv;user id=u", "", "", "", ""},  // case significant
        {"Provider =X;Data Source =Y", "", "", "", ""},
        {"Provider= MSDASQL;Data Source= Payroll", "", " Payroll", "", ""},
        {"Data Source=Payroll;User ID=", "", "Payroll", "", ""},
        {"User ID= u1;Password=p w", "", "", "", "p"},
        {"User ID=u 1;Data Source=a b ;Password=\tx", "", "a b ", "u", ""},
        {"User ID=u1\x01x;Data Source=a\tb", "", "a\tb", "u1", ""},
        // Two data sources, one inside an extended-properties value: the first counts.
        {"Provider=MSDASQL;Extended Properties=\"DSN=x;Data Source=inner\";Data Source=outer",
         "MSDASQL", "inner\"", "", ""},
        // Quotes have no meaning; a ";" inside them ends the value.
        {"Password=\"a;b\";User ID='o k'", "", "", "'o", "\"a"},
        // A longer key that ends in the key text counts.
        {"Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=db1;Data Source=c:\\a.mdb",
         "Microsoft.Jet.OLEDB.4.0", "c:\\a.mdb", "", "db1"},
        {"Proxy User ID=px", "", "", "px", ""},
        // Bytes above 127 belong to the value.
        {"User ID=J\xc3\xbcrgen;Data Source=K\xc3\xb6ln", "", "K\xc3\xb6ln", "J\xc3\xbcrgen", ""},
        {"Provider=SQLOLEDB", "SQLOLEDB", "", "", ""},
        {"Provider=", "", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(GetProvider(c.text), c.provider);
        EXPECT_EQ(GetDataSource(c.text), c.dataSource);
        EXPECT_EQ(GetUserID(c.text), c.userID);
        EXPECT_EQ(GetPassword(c.text), c.password);
    }
}

TEST(ConnectionString, ProviderTests) {
    using E = DatabaseEngine;
    struct Case {
        const char* text;
        bool odbc;
        bool db2;
        DatabaseEngine engine;
    };
    const Case cases[] = {
        {"Provider=MSDASQL.1;Data Source=Payroll", true, false, E::SybaseSQLAnywhere},
        {"Provider=msdasql", true, false, E::SybaseSQLAnywhere},
        {"Provider=My.MSDASQL.2", true, false, E::SybaseSQLAnywhere},
        {"Provider= MSDASQL", false, false, E::SybaseSQLAnywhere},
        {"provider=SQLOLEDB.1", false, false, E::SybaseSQLAnywhere},
        {"Provider=SQLOLEDB.1;Data Source=srv", false, false, E::MSSQLServer},
        {"Provider=sqloledb", false, false, E::MSSQLServer},
        {"Provider=MSDAORA.1", false, false, E::Oracle},
        {"Provider=OraOLEDB.Oracle.1", false, false, E::Oracle},
        {"Provider=Microsoft.Jet.OLEDB.4.0", false, false, E::Access},
        {"Provider=MICROSOFT.jet.oledb.4.0", false, false, E::Access},
        {"Provider=IBMDADB2.1;Data Source=SAMPLE", false, true, E::DB2},
        {"Provider=ibmdadb2", false, false, E::DB2},
        {"Provider=IBMDADB", false, true, E::SybaseSQLAnywhere},
        {"Provider=X;DBALIAS=SAMPLE", false, true, E::SybaseSQLAnywhere},
        {"Provider=X;dbalias=SAMPLE", false, false, E::SybaseSQLAnywhere},
        {"Provider=SQLite;Data Source=/tmp/a.db", false, false, E::SQLite},
        {"Provider=sqlite", false, false, E::SQLite},
        {"Provider=SQLite3", false, false, E::SybaseSQLAnywhere},
        // First hit wins.
        {"Provider=SQLOLEDB.MSDAORA", false, false, E::Oracle},
        {"Provider=Microsoft.Jet.IBMDADB2", false, false, E::Access},
        {"Provider=MSDASQL.SQLOLEDB", true, false, E::MSSQLServer},
        {"Provider=PostgreSQL", false, false, E::SybaseSQLAnywhere},
        {"", false, false, E::SybaseSQLAnywhere},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsODBCConnection(c.text), c.odbc);
        EXPECT_EQ(IsDB2Connection(c.text), c.db2);
        EXPECT_EQ(GetEngineFromProvider(c.text), c.engine);
        // Strings that do not go through ODBC never consult the data source list.
        if (!c.odbc) {
            EXPECT_EQ(GetConnectionEngine(c.text), c.engine);
        }
    }
}

TEST(ConnectionString, DriverDescriptions) {
    using E = DatabaseEngine;
    struct Case {
        const char* description;
        DatabaseEngine engine;
    };
    const Case cases[] = {
        {"Adaptive Server Enterprise", E::Sybase},
        // Only the exact text is Sybase; with a version no entry occurs in it.
        {"Adaptive Server Enterprise 15", E::SybaseSQLAnywhere},
        {"adaptive server enterprise", E::SybaseSQLAnywhere},
        {" Adaptive Server Enterprise", E::SybaseSQLAnywhere},
        {"Sybase SQL Anywhere 12", E::SybaseSQLAnywhere},
        {"Sybase ASE ODBC Driver", E::Sybase},
        {"SQL Server Native Client 11.0", E::MSSQLServer},
        {"ODBC Driver 17 for SQL Server", E::MSSQLServer},
        {"Microsoft Access Driver (*.mdb)", E::Access},
        {"IBM DB2 ODBC DRIVER", E::DB2},
        {"Oracle in OraClient11g_home1", E::Oracle},
        {"Microsoft ODBC for Oracle", E::Oracle},
        // The six entries are tried in order before anything else.
        {"SQL Server to Access bridge", E::Access},
        {"Oracle via DB2", E::DB2},
        {"Sybase for SQL Server", E::MSSQLServer},
        {"PostgreSQL via Oracle", E::Oracle},
        {"PostgreSQL Unicode", E::PostgreSQL},
        {"MariaDB Unicode", E::MySQL},
        {"MySQL ODBC 8.0 Unicode Driver", E::MySQL},
        {"SQLite3", E::SQLite},
        {"PostgreSQL for MySQL", E::PostgreSQL},
        {"postgresql", E::SybaseSQLAnywhere},
        {"sql server", E::SybaseSQLAnywhere},
        {"FreeTDS", E::SybaseSQLAnywhere},
        {"", E::SybaseSQLAnywhere},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetEngineFromDriverDescription(c.description), c.engine) << c.description;
}

TEST(ConnectionString, EngineNamesAndDefaults) {
    ASSERT_EQ(EngineNames.size(), 6u);
    const char* const names[] = {"Access", "DB2", "SQL Server", "Oracle", "Sybase SQL Anywhere",
                                 "Sybase"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(EngineNames[i], names[i]);
        // Each entry alone selects its own engine.
        EXPECT_EQ(EngineValue(GetEngineFromDriverDescription(names[i])), i) << names[i];
    }
    EXPECT_EQ(EngineValue(DatabaseEngine::Access), 0);
    EXPECT_EQ(EngineValue(DatabaseEngine::Sybase), 5);
    EXPECT_EQ(kDefaultEngine, DatabaseEngine::SybaseSQLAnywhere);
    EXPECT_EQ(sizeof(DatabaseEngine), 1u);
    const TConnInfo info;
    EXPECT_EQ(info.DBEngine, DatabaseEngine::SybaseSQLAnywhere);
    EXPECT_EQ(info.SourceEngine, DatabaseEngine::Access);
}

TEST(ConnectionString, ApplyLogin) {
    struct Case {
        const char* text;
        const char* user;
        const char* password;
        const char* expected;
    };
    const Case cases[] = {
        {"Provider=MSDASQL.1;Persist Security Info=False;Data Source=Payroll", "u1", "",
         "Provider=MSDASQL.1;Persist Security Info=False;Data Source=Payroll;User ID=u1;Password="},
        {"Data Source=P", "", "", "Data Source=P;User ID=;Password="},
        {"", "u", "p", ";User ID=u;Password=p"},
        {"User ID=old;Data Source=P", "new", "pw", "User ID=new;Data Source=P;Password=pw"},
        {"User ID=u1;Data Source=P", "u1", "pw", "User ID=u1;Data Source=P;Password=pw"},
        // The typed user differs only in case: it replaces the old one.
        {"Data Source=P;User ID=Bob", "bob", "x", "Data Source=P;User ID=bob;Password=x"},
        {"User ID=al;Data Source=P", "alice", "", "User ID=alice;Data Source=P;Password="},
        {"User ID=u1;Password=secret", "u2", "typed", "User ID=u2;Password=secret"},
        // A provider's own password key counts as a password: the typed one is not used.
        {"Jet OLEDB:Database Password=db;User ID=u", "u", "typed",
         "Jet OLEDB:Database Password=db;User ID=u"},
        // A blank after the key reads as no user at all.
        {"User ID= u1", "u2", "", "User ID= u1;User ID=u2;Password="},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ApplyLogin(c.text, c.user, c.password), c.expected)
            << c.text << " / " << c.user << " / " << c.password;
    }
}

// A typed password reaches the driver as typed, whatever characters it holds, and never shows
// up in an error about the connection string.
TEST(ConnectionString, TypedPasswordSurvivesTheConnectionString) {
    const db::OdbcDriverLookup lookup{[](std::string_view) { return true; },
                                      [](std::string_view) { return std::string("SQLite3"); }};
    for (const std::string password :
         {"plain", "a;b", "\"q", "'q'", "ab{c", "ab}c", " blank ", "x=y", "say \"hi\";"}) {
        const std::string login = ApplyLogin("Provider=MSDASQL.1;Data Source=db", "u1", password);
        EXPECT_FALSE(GetPassword(login).empty()) << password;
        try {
            const auto items = db::ParseOdbcConnectionString(db::TranslateToOdbc(login, lookup));
            EXPECT_EQ(db::FindItem(items, "PWD"), password);
            EXPECT_EQ(db::FindItem(items, "UID"), "u1") << password;
        } catch (const db::DatabaseError& e) {
            ADD_FAILURE() << password << ": " << e.what();
        }
        EXPECT_EQ(GetPassword(RemovePassword(login)), "") << password;
    }
    EXPECT_EQ(ApplyLogin("Data Source=P", "u", "a;b"), "Data Source=P;User ID=u;Password=\"a;b\"");
}

TEST(ConnectionString, RemovePassword) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"Provider=X;Password=secret;Data Source=y", "Provider=X;Data Source=y"},
        {"Provider=X;Data Source=y;Password=secret", "Provider=X;Data Source=y"},
        {"Password=secret;Data Source=y", "Data Source=y"},
        {"Password=secret", ""},
        {"Data Source=y;Password=", "Data Source=y"},
        {"Password=a b;User ID=u", "User ID=u"},
        {"Provider=X;Data Source=a  b;User ID=u", "Provider=X;Data Source=a  b;User ID=u"},
        {"", ""},
        // Every password item goes, a provider's own key included.
        {"Jet OLEDB:Database Password=;Data Source=y;Password=typed", "Data Source=y"},
        {"Password=1;Password=2;Password=3", ""},
        // Quoted and braced values keep their quotes, braces and the items around them.
        {"Provider=MSDASQL.1;Extended Properties=\"DSN=x;Password=p\";User ID=u",
         "Provider=MSDASQL.1;Extended Properties=\"DSN=x\";User ID=u"},
        {"Provider=MSDASQL.1;Extended Properties=\"Password=p;DSN=x\"",
         "Provider=MSDASQL.1;Extended Properties=\"DSN=x\""},
        {"Extended Properties='DRIVER={PG};Password={a;b};UID=u';Password=typed",
         "Extended Properties='DRIVER={PG};UID=u'"},
        {"Password=\"a;b\";Data Source=y", "Data Source=y"},
        {"Data Source=y;Password='it''s;x'", "Data Source=y"},
        {";User ID=u;Password=p;", ";User ID=u;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RemovePassword(c.text), c.expected) << c.text;

    const std::string login =
        ApplyLogin("Provider=MSDASQL.1;Data Source=Payroll Live", "u1", "s3cret");
    EXPECT_EQ(RemovePassword(login), "Provider=MSDASQL.1;Data Source=Payroll Live;User ID=u1");
    EXPECT_EQ(GetPassword(RemovePassword(login)), "");
}

}  // namespace
}  // namespace vorlanex
