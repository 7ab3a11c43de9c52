#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "db/ConnectionString.h"
#include "db/Database.h"
#include "export/ExportRun.h"
#include "model/SchemaModel.h"
#include "support/TestServers.h"

namespace vorlanex::testing {

// The SQL spellings that differ between the engines the tests create tables in.
struct Dialect {
    Engine Kind;
    std::string Quote(const std::string& name) const {
        return Kind == Engine::MariaDB ? "`" + name + "`" : "\"" + name + "\"";
    }
    std::string DoubleType() const {
        return Kind == Engine::PostgreSQL ? "DOUBLE PRECISION" : "DOUBLE";
    }
    std::string TimestampType() const { return Kind == Engine::MariaDB ? "DATETIME" : "TIMESTAMP"; }
    std::string BlobType() const {
        return Kind == Engine::PostgreSQL ? "BYTEA" : Kind == Engine::MariaDB ? "LONGBLOB" : "BLOB";
    }
    std::string TextType() const { return Kind == Engine::MariaDB ? "LONGTEXT" : "TEXT"; }
    std::string Bool(bool value) const {
        if (Kind == Engine::PostgreSQL)
            return value ? "TRUE" : "FALSE";
        return value ? "1" : "0";
    }
    std::string Blob(const std::string& hex) const {
        return Kind == Engine::PostgreSQL ? "'\\x" + hex + "'::bytea" : "X'" + hex + "'";
    }
    // A string literal; MariaDB reads backslashes as escapes.
    std::string Text(const std::string& text) const {
        std::string out = "'";
        for (char c : text) {
            if (c == '\'')
                out += "''";
            else if (c == '\\' && Kind == Engine::MariaDB)
                out += "\\\\";
            else
                out += c;
        }
        return out + "'";
    }
    std::string YearOf(const std::string& column) const {
        switch (Kind) {
            case Engine::SQLite:
                return "CAST(strftime('%Y', " + column + ") AS INTEGER)";
            case Engine::PostgreSQL:
                return "CAST(EXTRACT(YEAR FROM " + column + ") AS INTEGER)";
            case Engine::MariaDB:
                return "YEAR(" + column + ")";
        }
        return column;
    }
};

// One database of a test: a fresh SQLite file, or the test server's database.
class TestDatabase {
public:
    TestDatabase(Engine kind, const std::filesystem::path& folder, const std::string& tag)
        : m_dialect{kind} {
        if (kind == Engine::SQLite) {
            m_sqliteFile = folder / (tag + ".sqlite");
            std::ofstream(m_sqliteFile).close();  // the layer never creates a missing file
            m_connectionString = "Provider=SQLite;Data Source=" + m_sqliteFile.string();
        } else {
            const std::string odbc =
                RequiredEnv(kind == Engine::PostgreSQL ? "VORLANEX_TEST_PG_CONN"
                                                       : "VORLANEX_TEST_MARIADB_CONN");
            m_connectionString = "Provider=MSDASQL.1;Extended Properties=\"" + odbc + "\"";
        }
        m_connection = db::CreateOdbcConnection();
        m_connection->SetConnectionString(m_connectionString);
        m_connection->Open();
    }

    const Dialect& SQL() const { return m_dialect; }
    Engine Kind() const { return m_dialect.Kind; }
    const std::string& ConnectionString() const { return m_connectionString; }
    db::IConnection& Connection() { return *m_connection; }
    const std::filesystem::path& SQLiteFile() const { return m_sqliteFile; }

    void Exec(const std::string& sql) {
        auto query = m_connection->CreateQuery();
        query->SetSQL(sql);
        query->ExecSQL();
    }
    void DropTable(const std::string& name) {
        try {
            Exec("DROP TABLE " + m_dialect.Quote(name));
        } catch (const db::DatabaseError&) {
        }
    }
    // Every row of a query, each value as its text or "NULL".
    std::vector<std::vector<std::string>> Rows(const std::string& sql) {
        auto query = m_connection->CreateQuery();
        query->SetSQL(sql);
        query->Open();
        std::vector<std::vector<std::string>> rows;
        for (query->First(); !query->Eof(); query->Next()) {
            std::vector<std::string> row;
            for (int i = 0; i < query->FieldCount(); ++i)
                row.push_back(query->IsNull(i) ? "NULL" : std::string(query->AsText(i)));
            rows.push_back(std::move(row));
        }
        return rows;
    }
    std::string Scalar(const std::string& sql) {
        const auto rows = Rows(sql);
        return rows.empty() || rows[0].empty() ? std::string("<none>") : rows[0][0];
    }

private:
    Dialect m_dialect;
    std::filesystem::path m_sqliteFile;
    std::string m_connectionString;
    std::unique_ptr<db::IConnection> m_connection;
};

// The host of a run in a test: no controls to collect, and a hook at every event point.
class TestHost : public IExportHost {
public:
    void CollectSettings(TConnInfo&, MiscOptions&) override {}
    std::string TemplateFilePath() const override { return TemplatePath; }
    void ProcessPendingEvents() override {
        ++Events;
        if (OnEvents)
            OnEvents();
    }
    void RunningChanged(bool running) override { RunningStates.push_back(running); }

    std::string TemplatePath;
    int Events = 0;
    std::function<void()> OnEvents;
    std::vector<bool> RunningStates;
};

// Everything one export run needs, owned in one place.
struct RunFixture {
    RunFixture(db::IConnection& source, db::IConnection& target, std::filesystem::path folder)
        : Source(source), Target(target), Folder(std::move(folder)) {}

    TExportRun& MakeRun() {
        Status = std::make_unique<TStatusDisplay>(&Host);
        Run = std::make_unique<TExportRun>(
            ExportContext{Source, Target, Schema, Info, Misc, PrimaryKeys}, Host, *Status,
            ExportSettings{Folder, LocaleFormats{}});
        return *Run;
    }
    ExportOutcome Export() {
        TExportRun& run = MakeRun();
        Info.DSNFrom = Source.ConnectionString();
        Info.DSNTo = Target.ConnectionString();
        Info.SourceEngine = GetConnectionEngine(Info.DSNFrom);
        return run.TLB_ExportClick({Info.ODBCDestination, Info.FileName});
    }
    // The status log as text: runs separated by "|", colours and styles marked.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        for (const auto& line : Status->Log().Lines()) {
            std::string text;
            for (const auto& run : line.Runs) {
                if (!text.empty())
                    text += "|";
                if (run.BoldUnderline)
                    text += "*";
                if (run.Colour == StatusColour::Red)
                    text += "red:";
                if (run.Colour == StatusColour::Green)
                    text += "green:";
                text += run.Text;
            }
            lines.push_back(text);
        }
        return lines;
    }

    db::IConnection& Source;
    db::IConnection& Target;
    std::filesystem::path Folder;
    TZTDBSchema Schema;
    TConnInfo Info;
    MiscOptions Misc;
    PrimaryKeyList PrimaryKeys;
    TestHost Host;
    std::unique_ptr<TStatusDisplay> Status;
    std::unique_ptr<TExportRun> Run;
};

inline TZTTable& AddTable(TZTDBSchema& schema, const std::string& name,
                          const std::vector<std::string>& fields = {}) {
    TZTTable& table = schema.AddTable();
    table.TableName = name;
    for (const auto& field : fields)
        table.AddField().FieldName = field;
    return table;
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace vorlanex::testing
