// The INSERT lines read back from real databases: every value a source row holds must arrive
// unchanged in the target table, through each engine's literals and quoting.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>

#include "db/Database.h"
#include "export/SqlText.h"

namespace vorlanex {
namespace {

struct Target {
    const char* Name;
    DatabaseEngine Engine;
    const char* ConnectionVariable;  // empty for SQLite, which needs only a file
    const char* DoubleType;
    const char* BooleanType;
    const char* TimestampType;
    const char* BinaryType;
    const char* TrueLiteral;
    const char* BinaryLiteral;  // of the bytes 00 FF 10 27 5C
    const char* EmptyBinary;
};

const Target kTargets[] = {
    {"SQLite", DatabaseEngine::SQLite, "", "DOUBLE", "BOOLEAN", "TIMESTAMP", "BLOB", "1",
     "X'00FF10275C'", "X''"},
    {"PostgreSQL", DatabaseEngine::PostgreSQL, "VORLANEX_TEST_PG_CONN", "DOUBLE PRECISION",
     "BOOLEAN", "TIMESTAMP", "BYTEA", "TRUE", "'\\x00ff10275c'::bytea", "'\\x'::bytea"},
    {"MariaDB", DatabaseEngine::MySQL, "VORLANEX_TEST_MARIADB_CONN", "DOUBLE", "BIT(1)", "DATETIME",
     "VARBINARY(64)", "b'1'", "X'00FF10275C'", "X''"},
};

void PrintTo(const Target& target, std::ostream* out) {
    *out << target.Name;
}

const char* const kColumns[] = {"id",   "name",    "note",  "amount", "ratio", "flag",
                                "born", "at time", "stamp", "data",   "big"};

class InsertLines : public ::testing::TestWithParam<Target> {
protected:
    void SetUp() override {
        const Target& target = GetParam();
        std::string connectionString;
        if (!*target.ConnectionVariable) {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "sqltext-db-XXXXXX").string();
            m_folder = ::mkdtemp(pattern.data());
            const auto file = m_folder / "copy.sqlite";
            std::ofstream(file).close();
            connectionString = "Provider=SQLite;Data Source=" + file.string();
        } else {
            const char* odbc = std::getenv(target.ConnectionVariable);
            ASSERT_TRUE(odbc && *odbc)
                << target.ConnectionVariable << " is not set: start scripts/test-servers";
            connectionString =
                std::string("Provider=MSDASQL.1;Extended Properties=\"") + odbc + "\"";
        }
        m_connection = db::CreateOdbcConnection();
        m_connection->SetConnectionString(connectionString);
        m_connection->Open();
        dropTables();
    }

    void TearDown() override {
        if (m_connection)
            dropTables();
        if (!m_folder.empty())
            std::filesystem::remove_all(m_folder);
    }

    void dropTables() {
        for (const char* table : {"vx_source", "vx copy"}) {
            try {
                exec("DROP TABLE " + QuoteName(table, GetParam().Engine));
            } catch (const db::DatabaseError&) {
            }
        }
    }

    void exec(const std::string& sql) {
        auto query = m_connection->CreateQuery();
        query->SetSQL(sql);
        query->ExecSQL();
    }

    std::unique_ptr<db::IQuery> open(const std::string& sql) {
        auto query = m_connection->CreateQuery();
        query->SetSQL(sql);
        query->Prepare();
        query->Open();
        return query;
    }

    void createTable(const std::string& name) {
        const Target& t = GetParam();
        const auto q = [&](const char* column) { return QuoteName(column, t.Engine); };
        exec("CREATE TABLE " + QuoteName(name, t.Engine) +
             " (id INTEGER NOT NULL PRIMARY KEY, name VARCHAR(60), note TEXT, amount "
             "DECIMAL(18,4), ratio " +
             t.DoubleType + ", flag " + t.BooleanType + ", born DATE, " + q("at time") +
             " TIME, stamp " + t.TimestampType + ", data " + t.BinaryType + ", big BIGINT)");
    }

    std::filesystem::path m_folder;
    std::unique_ptr<db::IConnection> m_connection;
};

TEST_P(InsertLines, CopyEveryValueUnchanged) {
    const Target& t = GetParam();
    createTable("vx_source");
    createTable("vx copy");
    // The source rows are written by hand, in each engine's own spelling.
    const auto literal = [&](std::string text) {
        std::string quoted = "'";
        for (char c : text) {
            quoted += c;
            if (c == '\'' || (c == '\\' && t.Engine == DatabaseEngine::MySQL))
                quoted += c;
        }
        return quoted + "'";
    };
    const std::string insert = "INSERT INTO vx_source VALUES ";
    exec(insert + "(1, " + literal("O'Brien \\ back\\'") + ", " +
         literal("line one\r\nline 'two' \\x41") + ", 1234.5678, 0.1, " + t.TrueLiteral +
         ", '2011-03-05', '14:07:09', '2011-03-05 14:07:09', " + t.BinaryLiteral +
         ", 9007199254740993)");
    exec(insert + "(2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
    exec(insert +
         "(3, '', '; DROP TABLE vx_source; --', -0.5, -1.5e-7, NULL, '1999-12-31', "
         "'00:00:00', '2000-01-01 00:00:00', " +
         t.EmptyBinary + ", -1)");

    TZTTable table;
    table.TableName = "vx_source";
    for (const char* column : kColumns)
        table.AddField().FieldName = column;
    TConnInfo info;
    info.SourceEngine = t.Engine;
    info.DBEngine = t.Engine;
    const ColumnLists lists = BuildColumnLists(table, info);
    const std::string head = "INSERT INTO " + QuoteName("vx copy", t.Engine) +
                             lists.InsertHead.substr(lists.InsertHead.find('('));

    const std::string header = DateFormatHeader(EngineValue(t.Engine));
    if (!header.empty()) {
        // The block's statement is its third line.
        const size_t start = header.find("\r\n", header.find("\r\n") + 2) + 2;
        exec(header.substr(start, header.find("\r\n", start) - start));
    }

    auto source = open(lists.SelectText + " ORDER BY id");
    TRowValueText values(table, t.Engine, LocaleFormats{});
    std::string line;
    int rows = 0;
    for (source->First(); !source->Eof(); source->Next(), ++rows) {
        line.assign(head);
        values.Append(*source, line);
        SCOPED_TRACE(line);
        exec(line);
    }
    ASSERT_EQ(rows, 3);

    auto original = open("SELECT * FROM vx_source ORDER BY id");
    auto copy = open("SELECT * FROM " + QuoteName("vx copy", t.Engine) + " ORDER BY id");
    for (int row = 0; row < 3; ++row, original->Next(), copy->Next()) {
        ASSERT_FALSE(copy->Eof());
        if (row == 0) {
            ASSERT_EQ(original->AsText(1), "O'Brien \\ back\\'");
        }
        for (int i = 0; i < original->FieldCount(); ++i) {
            SCOPED_TRACE(std::string(kColumns[i]) + " of row " + std::to_string(row + 1));
            ASSERT_EQ(copy->IsNull(i), original->IsNull(i));
            if (!original->IsNull(i)) {
                EXPECT_EQ(copy->AsText(i), original->AsText(i));
            }
        }
    }
    EXPECT_TRUE(copy->Eof());
}

INSTANTIATE_TEST_SUITE_P(Databases, InsertLines, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace vorlanex
