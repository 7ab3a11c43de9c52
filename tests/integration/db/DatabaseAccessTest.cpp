// One body of tests for the database layer, run against SQLite, PostgreSQL and MariaDB.
#include <gtest/gtest.h>

#include <fstream>

#include "DatabaseTestSupport.h"
#include "db/CatalogReader.h"

namespace vorlanex::db::testing {
namespace {

const TestDatabase kDatabases[] = {
    {Engine::SQLite, "SQLite", "TIMESTAMP", "DOUBLE", "BOOLEAN", "BLOB", "1", "X'00FF1041'", 200},
    {Engine::PostgreSQL, "PostgreSQL", "TIMESTAMP", "DOUBLE PRECISION", "BOOLEAN", "BYTEA", "TRUE",
     "'\\x00ff1041'::bytea", 131},
    {Engine::MariaDB, "MariaDB", "DATETIME", "DOUBLE", "BIT(1)", "VARBINARY(64)", "b'1'",
     "X'00FF1041'", 131},
};

class DatabaseAccess : public ::testing::TestWithParam<TestDatabase> {
protected:
    void SetUp() override {
        const TestDatabase& db = GetParam();
        if (db.Kind == Engine::SQLite) {
            m_file = FreshFolder("access") / "empty.sqlite";
            std::ofstream(m_file).close();
            m_connectionString = "Provider=SQLite;Data Source=" + m_file.string();
        } else {
            m_connectionString = ServerConnectionString(db.Kind);
        }
        m_connection = OpenConnection(m_connectionString);
    }

    void TearDown() override {
        if (m_connection) {
            for (const char* table : {"vx_types", "vx_child", "vx_parent", "vx_counts"}) {
                ExecQuietly(*m_connection, std::string("DROP TABLE ") + table);
            }
        }
    }

    void CreateTypesTable() {
        const TestDatabase& db = GetParam();
        ExecQuietly(*m_connection, "DROP TABLE vx_types");
        Exec(*m_connection,
             "CREATE TABLE vx_types (id INTEGER NOT NULL PRIMARY KEY, name VARCHAR(40) NOT NULL, "
             "note TEXT, amount DECIMAL(18,4), ratio " +
                 db.DoubleType + ", flag " + db.BooleanType + ", born DATE, at_time TIME, stamp " +
                 db.TimestampType + ", data " + db.BinaryType + ", big BIGINT)");
        Exec(*m_connection,
             "INSERT INTO vx_types VALUES (1, 'Motörhead', 'Mötley Crüe – 東京', 1234.5678, 0.1, " +
                 db.TrueLiteral + ", '2011-03-05', '14:07:09', '2011-03-05 14:07:09', " +
                 db.BinaryLiteral + ", 9007199254740993)");
        Exec(*m_connection, "INSERT INTO vx_types (id, name) VALUES (2, 'O''Brien')");
    }

    std::unique_ptr<IQuery> OpenQuery(const std::string& sql) {
        auto query = m_connection->CreateQuery();
        query->SetSQL(sql);
        query->Prepare();
        query->Open();
        return query;
    }

    std::int64_t Count(const std::string& table) {
        auto query = OpenQuery("SELECT COUNT(*) FROM " + table);
        return query->AsInteger(0);
    }

    std::filesystem::path m_file;
    std::string m_connectionString;
    std::unique_ptr<IConnection> m_connection;
};

TEST_P(DatabaseAccess, ReadsEveryCommonTypeAsTextAndDateTime) {
    CreateTypesTable();
    auto query = OpenQuery("SELECT * FROM vx_types ORDER BY id");
    ASSERT_EQ(query->FieldCount(), 11);
    EXPECT_EQ(query->FieldName(1), "name");
    ASSERT_FALSE(query->Eof());

    EXPECT_EQ(query->AsText(0), "1");
    EXPECT_EQ(query->AsText(1), "Motörhead");
    EXPECT_EQ(query->AsText(2), "Mötley Crüe – 東京");
    EXPECT_EQ(query->AsText(3), "1234.5678");
    EXPECT_EQ(query->AsText(4), "0.1");
    EXPECT_EQ(query->AsText(5), "True");
    EXPECT_EQ(query->AsDateTime(6), (DateTime{2011, 3, 5, 0, 0, 0, 0}));
    EXPECT_EQ(query->AsDateTime(7), (DateTime{1899, 12, 30, 14, 7, 9, 0}));
    EXPECT_EQ(query->AsText(7), "14:07:09");
    EXPECT_EQ(query->AsDateTime(8), (DateTime{2011, 3, 5, 14, 7, 9, 0}));
    EXPECT_EQ(query->AsText(8), "2011-03-05 14:07:09");
    EXPECT_TRUE(query->IsBinary(9));
    EXPECT_EQ(query->AsText(9), std::string_view("\x00\xff\x10\x41", 4));
    EXPECT_EQ(query->AsText(10), "9007199254740993");
    EXPECT_EQ(query->AsInteger(10), 9007199254740993);
    EXPECT_TRUE(query->AsBoolean(5));

    EXPECT_EQ(query->FieldTypeOf(6), FieldType::Date);
    EXPECT_EQ(query->FieldTypeOf(7), FieldType::Time);
    EXPECT_EQ(query->FieldTypeOf(8), FieldType::DateTime);
    EXPECT_EQ(query->FieldTypeOf(4), FieldType::Float);
    EXPECT_FALSE(query->IsBinary(1));

    query->Next();
    ASSERT_FALSE(query->Eof());
    EXPECT_EQ(query->AsText(1), "O'Brien");
    for (int i = 2; i < query->FieldCount(); ++i)
        EXPECT_TRUE(query->IsNull(i)) << i;
    EXPECT_THROW(query->AsDateTime(8), DatabaseError);
    query->Next();
    EXPECT_TRUE(query->Eof());
}

TEST_P(DatabaseAccess, LongTextComesThroughWhole) {
    CreateTypesTable();
    // Longer than one read piece of the layer, with a two-byte character across piece borders.
    std::string text;
    while (text.size() < 60000)
        text += "ab\xc3\xa9";
    Exec(*m_connection, "UPDATE vx_types SET note = '" + text + "' WHERE id = 2");
    auto query = OpenQuery("SELECT note FROM vx_types WHERE id = 2");
    EXPECT_EQ(query->AsText(0), text);
}

TEST_P(DatabaseAccess, FirstRunsTheQueryAgainAndRecordCountIsExact) {
    CreateTypesTable();
    auto query = OpenQuery("SELECT id FROM vx_types ORDER BY id");
    EXPECT_FALSE(query->IsEmpty());
    query->Next();
    EXPECT_EQ(query->RecordCount(), 2);
    EXPECT_EQ(query->AsText(0), "2");  // counting kept the position
    query->First();
    EXPECT_EQ(query->AsText(0), "1");

    auto empty = OpenQuery("SELECT id FROM vx_types WHERE id < 0");
    EXPECT_TRUE(empty->IsOpen());
    EXPECT_TRUE(empty->IsEmpty());
    EXPECT_TRUE(empty->Eof());
    EXPECT_EQ(empty->RecordCount(), 0);
}

TEST_P(DatabaseAccess, CommandsReportRowsAffected) {
    CreateTypesTable();
    auto query = m_connection->CreateQuery();
    query->SetSQL("INSERT INTO vx_types (id, name) VALUES (3, 'three');");
    query->ExecSQL();
    EXPECT_EQ(query->RowsAffected(), 1);
    query->SetSQL("DELETE FROM vx_types WHERE id >= 2");
    query->ExecSQL();
    EXPECT_EQ(query->RowsAffected(), 2);
    query->SetSQL("DELETE FROM vx_types WHERE id > 100");
    query->ExecSQL();
    EXPECT_EQ(query->RowsAffected(), 0);
}

TEST_P(DatabaseAccess, TransactionCommitsAndAFailingStatementLeavesTheOthers) {
    CreateTypesTable();
    auto query = m_connection->CreateQuery();
    m_connection->BeginTrans();
    query->SetSQL("INSERT INTO vx_types (id, name) VALUES (10, 'ten')");
    query->ExecSQL();
    query->SetSQL("INSERT INTO vx_types (id, name) VALUES (1, 'duplicate key')");
    EXPECT_THROW(query->ExecSQL(), DatabaseError);
    query->SetSQL("INSERT INTO vx_types (id, name) VALUES (11, 'eleven')");
    query->ExecSQL();
    m_connection->CommitTrans();
    EXPECT_THROW(m_connection->CommitTrans(), DatabaseError);

    // A second connection sees what was committed.
    auto other = OpenConnection(m_connectionString);
    auto check = other->CreateQuery();
    check->SetSQL("SELECT id FROM vx_types WHERE id >= 10 ORDER BY id");
    check->Open();
    EXPECT_EQ(check->RecordCount(), 2);
}

TEST_P(DatabaseAccess, SyntaxErrorRaisesTheDriversMessage) {
    auto query = m_connection->CreateQuery();
    query->SetSQL("SELEC nothing FROM nowhere");
    try {
        query->Open();
        FAIL() << "no error";
    } catch (const DatabaseAccessError& e) {
        EXPECT_FALSE(e.SqlState().empty());
        EXPECT_NE(std::string(e.what()).find(e.SqlState()), std::string::npos) << e.what();
    }
    EXPECT_FALSE(query->IsOpen());
    EXPECT_THROW(query->ExecSQL(), DatabaseError);
    // The connection is still usable afterwards.
    EXPECT_EQ(OpenQuery("SELECT 1")->AsText(0), "1");
}

TEST_P(DatabaseAccess, CatalogListsTablesViewsColumnsAndKeys) {
    CreateTypesTable();
    Exec(*m_connection,
         "CREATE TABLE vx_parent (a INTEGER NOT NULL, b VARCHAR(10) NOT NULL, "
         "c VARCHAR(10), PRIMARY KEY (a, b))");
    ExecQuietly(*m_connection, "DROP VIEW vx_view");
    Exec(*m_connection, "CREATE VIEW vx_view AS SELECT a FROM vx_parent");

    auto findTable = [](const TTableInfoArray& tables, const std::string& name) {
        for (const auto& t : tables)
            if (t.Name == name)
                return &t;
        return static_cast<const TTableInfo*>(nullptr);
    };
    TTableInfoArray tables;
    GetTableInfo(*m_connection, MiscOptions{}, DatabaseEngine::SybaseSQLAnywhere, tables);
    ASSERT_NE(findTable(tables, "vx_parent"), nullptr);
    EXPECT_EQ(findTable(tables, "vx_parent")->TableType, "TABLE");
    EXPECT_EQ(findTable(tables, "vx_parent")->ImageIndex, 0);
    EXPECT_EQ(findTable(tables, "vx_view"), nullptr);

    MiscOptions withViews;
    withViews.DisplayViews = true;
    tables.clear();
    GetTableInfo(*m_connection, withViews, DatabaseEngine::SybaseSQLAnywhere, tables);
    ASSERT_NE(findTable(tables, "vx_view"), nullptr);
    EXPECT_EQ(findTable(tables, "vx_view")->ImageIndex, 1);

    TFieldTypeInfoArr columns{{"stale", 0, false}};
    GetFieldTypeInfo(*m_connection, "vx_types", DatabaseEngine::SybaseSQLAnywhere, columns);
    ASSERT_EQ(columns.size(), 11u);
    EXPECT_EQ(columns[0].Name, "id");
    EXPECT_EQ(FieldTypeFromDataType(columns[0].DataType), FieldType::Integer);
    EXPECT_FALSE(columns[0].IsNullable);
    EXPECT_FALSE(columns[1].IsNullable);
    EXPECT_TRUE(columns[2].IsNullable);
    EXPECT_EQ(FieldTypeFromDataType(columns[6].DataType), FieldType::Date);
    EXPECT_EQ(FieldTypeFromDataType(columns[8].DataType), FieldType::DateTime);
    EXPECT_EQ(columns[3].DataType, GetParam().DecimalCode);  // SQLite says VARCHAR
    EXPECT_EQ(columns[10].DataType, 20);

    PrimaryKeyList keys{"old"};
    int reports = 0;
    GetPrimaryKeys(*m_connection, "vx_parent", keys,
                   [&](const std::string&, const std::string&) { ++reports; });
    EXPECT_EQ(keys, (PrimaryKeyList{"a", "b"}));
    GetPrimaryKeys(*m_connection, "vx_view", keys,
                   [&](const std::string&, const std::string&) { ++reports; });
    EXPECT_TRUE(keys.empty());
    EXPECT_EQ(reports, 0);
    ExecQuietly(*m_connection, "DROP VIEW vx_view");
}

TEST_P(DatabaseAccess, LoadTableFieldsCreatesFieldsWithKeysAndNullability) {
    Exec(*m_connection,
         "CREATE TABLE vx_parent (a INTEGER NOT NULL, b VARCHAR(10) NOT NULL, "
         "c VARCHAR(10), PRIMARY KEY (a, b))");
    TZTTable table;
    table.TableName = "vx_parent";
    TConnInfo info;
    info.SourceEngine = DatabaseEngine::SybaseSQLAnywhere;
    PrimaryKeyList keys;
    LoadFieldsOptions options;
    options.ReadPrimaryKeys = true;
    const auto columns = LoadTableFields(*m_connection, table, info, keys, options);
    EXPECT_EQ(columns.size(), 3u);
    ASSERT_EQ(table.FieldCount(), 3);
    EXPECT_TRUE(table.GetField(0)->PrimaryKey);
    EXPECT_TRUE(table.GetField(1)->PrimaryKey);
    EXPECT_FALSE(table.GetField(2)->PrimaryKey);
    EXPECT_FALSE(table.GetField(0)->Nullable);
    EXPECT_TRUE(table.GetField(2)->Nullable);
    EXPECT_TRUE(table.GetField(2)->Export);
}

TEST_P(DatabaseAccess, LoadTableFieldsUpdatesOnlyTheFieldsTheTableHolds) {
    Exec(*m_connection,
         "CREATE TABLE vx_parent (a INTEGER NOT NULL, b VARCHAR(10) NOT NULL, "
         "c VARCHAR(10), PRIMARY KEY (a, b))");
    TZTTable table;
    table.TableName = "vx_parent";
    TZTField& c = table.AddField();
    c.FieldName = "C";  // the catalog says c: the same field
    c.Export = false;
    c.ClearValue = true;
    c.ReplacementValue = "kept";
    c.PrimaryKey = true;
    TZTField& gone = table.AddField();
    gone.FieldName = "gone";
    gone.PrimaryKey = true;
    gone.Nullable = true;
    TConnInfo info;
    info.SourceEngine = DatabaseEngine::SybaseSQLAnywhere;
    PrimaryKeyList keys{"stale"};
    LoadFieldsOptions options;
    options.ReadPrimaryKeys = true;
    LoadTableFields(*m_connection, table, info, keys, options);
    EXPECT_EQ(keys, (PrimaryKeyList{"a", "b"}));
    ASSERT_EQ(table.FieldCount(), 2);  // a and b are not added to a table that has fields
    EXPECT_EQ(table.GetField(0), &c);
    EXPECT_FALSE(c.Export);
    EXPECT_TRUE(c.ClearValue);
    EXPECT_EQ(c.ReplacementValue, "kept");
    EXPECT_FALSE(c.PrimaryKey);
    EXPECT_TRUE(c.Nullable);
    EXPECT_TRUE(gone.PrimaryKey && gone.Nullable);  // not listed: left as it was

    // An Access source keeps the key list of the last other source.
    info.SourceEngine = DatabaseEngine::Access;
    keys = {"c"};
    LoadTableFields(*m_connection, table, info, keys, options);
    EXPECT_EQ(keys, PrimaryKeyList{"c"});
    EXPECT_TRUE(c.PrimaryKey);

    // A key request that fails is reported once and leaves the list as it was.
    m_connection->Close();
    int reports = 0;
    GetPrimaryKeys(*m_connection, "vx_parent", keys,
                   [&](const std::string& routine, const std::string& message) {
                       ++reports;
                       EXPECT_EQ(routine, "GetPrimaryKeys");
                       EXPECT_FALSE(message.empty());
                   });
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(keys, PrimaryKeyList{"c"});
    m_connection->Open();
}

TEST_P(DatabaseAccess, ClosingTheConnectionLeavesQueriesFailingCleanly) {
    auto query = OpenQuery("SELECT 1");
    m_connection->Close();
    EXPECT_FALSE(m_connection->Connected());
    query->Close();
    EXPECT_THROW(query->Open(), DatabaseAccessError);
    m_connection->Close();  // twice is harmless
    m_connection->Open();
    EXPECT_NO_THROW(query->Open());  // the query belongs to the reopened connection again
}

INSTANTIATE_TEST_SUITE_P(Databases, DatabaseAccess, ::testing::ValuesIn(kDatabases),
                         [](const auto& info) { return info.param.Name; });

}  // namespace
}  // namespace vorlanex::db::testing
