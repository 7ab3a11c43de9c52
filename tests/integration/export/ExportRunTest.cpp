// The export run on real databases: the status log, the script file, failures and cancels.
#include <gtest/gtest.h>

#include "ExportTestSupport.h"
#include "export/ErrorLog.h"
#include "export/ScriptExecutor.h"
#include "export/SqlText.h"

namespace vorlanex::testing {
namespace {

void CreateNumbered(TestDatabase& db, const std::string& table, int rows, bool fill = true) {
    db.DropTable(table);
    db.Exec("CREATE TABLE " + db.SQL().Quote(table) +
            " (id INTEGER PRIMARY KEY, name VARCHAR(40))");
    if (!fill)
        return;
    for (int i = 1; i <= rows; ++i) {
        db.Exec("INSERT INTO " + db.SQL().Quote(table) + " VALUES (" + std::to_string(i) +
                ", 'row " + std::to_string(i) + "')");
    }
}

std::string Count(TestDatabase& db, const std::string& table) {
    return db.Scalar("SELECT COUNT(*) FROM " + db.SQL().Quote(table));
}

// Drops the line that holds the clock's reading.
std::string WithoutTimes(std::string text) {
    for (const char* marker : {"-- Date of Didi Dovezid: ", "-- Total Time: "}) {
        const size_t at = text.find(marker);
        if (at == std::string::npos)
            continue;
        const size_t end = text.find('\n', at);
        text.replace(at, end - at, std::string(marker) + "<time>\r");
    }
    return text;
}

class ExportRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        source = std::make_unique<TestDatabase>(Engine::SQLite, folder, "source");
        target = std::make_unique<TestDatabase>(Engine::SQLite, folder, "target");
        run = std::make_unique<RunFixture>(source->Connection(), target->Connection(), folder);
    }
    void ToFile(DatabaseEngine engine) {
        run->Info.ODBCDestination = false;
        run->Info.FileName = (folder / "out.sql").string();
        run->Info.DBEngine = engine;
    }

    std::filesystem::path folder;
    std::unique_ptr<TestDatabase> source;
    std::unique_ptr<TestDatabase> target;
    std::unique_ptr<RunFixture> run;
};

TEST_F(ExportRunTest, FileExportLogsEachTableAndAGreenResult) {
    CreateNumbered(*source, "A", 120);
    CreateNumbered(*source, "B", 45);
    AddTable(run->Schema, "A");
    AddTable(run->Schema, "B");
    ToFile(DatabaseEngine::SQLite);
    std::vector<std::string> openLinesOfA;
    run->Host.OnEvents = [&] {
        const auto lines = run->LogLines();
        if (lines.back().rfind("A: ", 0) == 0 &&
            (openLinesOfA.empty() || openLinesOfA.back() != lines.back()))
            openLinesOfA.push_back(lines.back());
    };
    ASSERT_EQ(run->Export(), ExportOutcome::Complete);
    const auto lines = run->LogLines();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "*Exporting Records");
    EXPECT_EQ(lines[2], "A: |red:120");
    EXPECT_EQ(lines[3], "B: |red:45");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "*Extract Complete!");
    EXPECT_EQ(lines[6].rfind("-- Total Time: 0min ", 0), 0u) << lines[6];
    EXPECT_EQ(lines[7], "green:-- 0 error(s) found!");
    EXPECT_EQ(lines[8], "");
    EXPECT_EQ(openLinesOfA, (std::vector<std::string>{"A: |red:0", "A: |red:75", "A: |red:120"}));
    EXPECT_EQ(run->Status->Label(), "Status: Extract Complete!");
    EXPECT_EQ(run->Host.RunningStates, (std::vector<bool>{true, false}));
}

TEST_F(ExportRunTest, TheScriptFileHasTheHeaderDeletesAndTableBlocks) {
    source->Exec("CREATE TABLE \"order lines\" (\"line no\" INTEGER, item VARCHAR(20))");
    source->Exec("INSERT INTO \"order lines\" VALUES (1, 'O''Brien')");
    source->Exec("INSERT INTO \"order lines\" VALUES (2, NULL)");
    CreateNumbered(*source, "empty", 0, false);
    AddTable(run->Schema, "order lines", {"line no", "item"});
    AddTable(run->Schema, "skipped", {"x"}).Export = false;
    AddTable(run->Schema, "empty", {"id", "name"});
    run->Misc.DeleteRecs = true;
    ToFile(DatabaseEngine::PostgreSQL);
    ASSERT_EQ(run->Export(), ExportOutcome::Complete);

    const std::string sep = SeparatorLine() + "\r\n";
    ASSERT_EQ(SeparatorLine(), std::string(101, '-'));
    const std::string dataSource = source->SQLiteFile().string();
    EXPECT_EQ(WithoutTimes(ReadFile(run->Info.FileName)),
              sep + "-- Date of Didi Dovezid: <time>\r\n" + "-- Source ODBC DSN: " + dataSource +
                  "\r\n" + sep + sep + "-- For PostgreSQL Database\r\n" +
                  "SET DateStyle = 'ISO, YMD';\r\n" + sep + sep + "-- Delete Records \r\n" + sep +
                  "DELETE FROM empty;\r\n" + "DELETE FROM \"order lines\";\r\n" + sep +
                  "-- Table: order lines\r\n" + sep +
                  "INSERT INTO \"order lines\"(\"line no\", item) VALUES (1, 'O''Brien');\r\n" +
                  "INSERT INTO \"order lines\"(\"line no\", item) VALUES (2, NULL);\r\n" + sep +
                  "-- Table: empty\r\n" + sep);
}

TEST_F(ExportRunTest, AnUncaughtErrorStopsTheRunWithoutAFinalStatus) {
    CreateNumbered(*source, "A", 3);
    AddTable(run->Schema, "A");
    AddTable(run->Schema, "gone", {"id"});
    ToFile(DatabaseEngine::SQLite);
    EXPECT_THROW(run->Export(), db::DatabaseError);
    for (const auto& line : run->LogLines()) {
        EXPECT_EQ(line.find("Extract"), std::string::npos) << line;
    }
    EXPECT_FALSE(run->Run->IsRunning());
    EXPECT_EQ(run->Host.RunningStates, (std::vector<bool>{true, false}));
    // The failed open is logged once, by CreateQuery, without a template line or a count.
    const std::string log = ReadFile(run->Run->ErrorLog().Path());
    EXPECT_NE(log.find("Function: \tCreateQuery\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("SQL Query: \tSELECT id FROM gone\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Template: "), std::string::npos);
    EXPECT_EQ(run->Run->ErrorCount(), 0);
    // The script holds the table block as far as it was written.
    EXPECT_NE(ReadFile(run->Info.FileName).find("-- Table: gone\r\n"), std::string::npos);
}

TEST_F(ExportRunTest, ACancelWhileReadingKeepsTheRowsWrittenAndExecutesNothing) {
    CreateNumbered(*source, "A", 200);
    CreateNumbered(*target, "A", 0, false);
    AddTable(run->Schema, "A");
    run->Host.OnEvents = [&] {
        if (run->LogLines().back() == "A: |red:75")
            run->Run->TLB_CancelClick();
    };
    ASSERT_EQ(run->Export(), ExportOutcome::Cancelled);
    const auto lines = run->LogLines();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{"A: |red:75", "", "*Extract Cancelled", ""}));
    EXPECT_EQ(Count(*target, "A"), "0");
    const std::string script = ReadFile(run->Info.FileName);
    EXPECT_NE(script.find("VALUES (75, 'row 75');\r\n"), std::string::npos);
    EXPECT_EQ(script.find("VALUES (76,"), std::string::npos);
    EXPECT_EQ(script.substr(script.size() - 2), "\r\n");
}

TEST_F(ExportRunTest, ACancelWhileExecutingCommitsWhatRanAndEndsCancelled) {
    CreateNumbered(*source, "A", 200);
    CreateNumbered(*target, "A", 0, false);
    AddTable(run->Schema, "A");
    run->Host.OnEvents = [&] {
        if (run->Status->Label() == "Status: Exporting Records" &&
            run->LogLines().back() == "A: |red:75")
            run->Run->TLB_CancelClick();
    };
    ASSERT_EQ(run->Export(), ExportOutcome::Cancelled);
    const auto lines = run->LogLines();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{"A: |red:75", "", "*Extract Cancelled", ""}));
    EXPECT_EQ(Count(*target, "A"), "75");
}

// Counts the errors logged for it, as the window's status bar does.
struct CountingWindow : IErrorLogWindow {
    std::string TemplateFilePath() const override { return {}; }
    void CountError() override { ++Count; }
    int Count = 0;
};

TEST_F(ExportRunTest, QuotesInNamesDoNotHideTheMarkersOrStatementsThatFollow) {
    target->Exec("CREATE TABLE \"Bob's orders\" (id INTEGER, note TEXT)");
    target->Exec("INSERT INTO \"Bob's orders\" VALUES (7, 'old'), (8, 'old')");
    target->Exec("CREATE TABLE b (id INTEGER, note TEXT)");
    const std::string sep = SeparatorLine() + "\r\n";
    // A bracketed name with an apostrophe (as written for Access and MS SQL Server), an unquoted
    // one that the target refuses, a value spread over lines, and a last statement without ";".
    const auto script = folder / "script.sql";
    std::ofstream(script, std::ios::binary)
        << sep << "-- Delete Records \r\n"
        << sep << "DELETE FROM [Bob's orders];\r\n"
        << sep << "-- Table: Bob's orders\r\n"
        << sep << "INSERT INTO [Bob's orders](id, note) VALUES (1, 'new');\r\n"
        << sep << "-- Table: O'Brien\r\n"
        << sep << "INSERT INTO O'Brien(id) VALUES (1);\r\n"
        << sep << "-- Table: b\r\n"
        << sep << "INSERT INTO b(id, note) VALUES (1, 'first\r\n-- no comment; nor end');\r\n"
        << "INSERT INTO b(id, note) VALUES (2, 'last')\r\n";

    TStatusDisplay status;
    TErrorLog errorLog(folder, LocaleFormats{});
    CountingWindow window;
    const bool cancel = false;
    int failed = 0;
    TScriptExecutor(target->Connection(), status, errorLog, &window, nullptr, cancel)
        .ExecuteScript(script, failed);

    EXPECT_EQ(failed, 1);
    EXPECT_EQ(window.Count, 1);
    EXPECT_EQ(target->Rows("SELECT id, note FROM \"Bob's orders\""),
              (std::vector<std::vector<std::string>>{{"1", "new"}}));
    EXPECT_EQ(target->Rows("SELECT id, note FROM b ORDER BY id"),
              (std::vector<std::vector<std::string>>{{"1", "first\r\n-- no comment; nor end"},
                                                     {"2", "last"}}));
    EXPECT_NE(ReadFile(errorLog.Path()).find("INSERT INTO O'Brien(id) VALUES (1);\r\n"),
              std::string::npos);
    std::vector<std::string> tableLines;
    for (const auto& line : status.Log().Lines()) {
        if (line.Runs.size() == 2)
            tableLines.push_back(line.PlainText());
    }
    EXPECT_EQ(tableLines, (std::vector<std::string>{"[Bob's orders]: 2", "Bob's orders: 1",
                                                    "O'Brien: 1", "b: 2"}));
}

class DatabaseExport : public ::testing::TestWithParam<Engine> {};

TEST_P(DatabaseExport, WithDeletesLogsBothPhases) {
    const auto folder = FreshFolder(std::string("deletes-") + EngineName(GetParam()));
    TestDatabase source(Engine::SQLite, folder, "source");
    TestDatabase target(GetParam(), folder, "target");
    CreateNumbered(source, "alpha", 2);
    CreateNumbered(source, "beta", 2);
    CreateNumbered(target, "alpha", 0, false);
    CreateNumbered(target, "beta", 0, false);
    for (int i = 100; i < 103; ++i)
        target.Exec("INSERT INTO alpha VALUES (" + std::to_string(i) + ", 'old')");
    for (int i = 100; i < 105; ++i)
        target.Exec("INSERT INTO beta VALUES (" + std::to_string(i) + ", 'old')");
    RunFixture run(source.Connection(), target.Connection(), folder);
    AddTable(run.Schema, "alpha");
    AddTable(run.Schema, "beta");
    run.Misc.DeleteRecs = true;
    ASSERT_EQ(run.Export(), ExportOutcome::Complete);
    const std::vector<std::string> expected = {
        "", "*Reading Records",   "alpha: |red:2", "beta: |red:2",
        "", "*Deleting Records",  "beta: |red:5",  "alpha: |red:3",
        "", "*Exporting Records", "alpha: |red:2", "beta: |red:2",
        "", "*Extract Complete!",
    };
    auto lines = run.LogLines();
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 14), expected);
    EXPECT_EQ(lines[15], "green:-- 0 error(s) found!");
    EXPECT_EQ(Count(target, "alpha"), "2");
    EXPECT_EQ(target.Scalar("SELECT name FROM beta WHERE id = 2"), "row 2");
    // The temporary script stays in the program folder.
    EXPECT_TRUE(std::filesystem::exists(folder / "zttemp.sql"));
    EXPECT_EQ(run.Info.FileName, (folder / "zttemp.sql").string());
}

INSTANTIATE_TEST_SUITE_P(Targets, DatabaseExport,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL, Engine::MariaDB),
                         [](const auto& info) { return std::string(EngineName(info.param)); });

class FailingInsert : public ::testing::TestWithParam<Engine> {};

TEST_P(FailingInsert, TheOtherRowsOfTheTableAreCommittedAndTheFailureCounted) {
    const auto folder = FreshFolder(std::string("failing-") + EngineName(GetParam()));
    TestDatabase source(Engine::SQLite, folder, "source");
    TestDatabase target(GetParam(), folder, "target");
    CreateNumbered(source, "numbers", 5);
    CreateNumbered(target, "numbers", 0, false);
    target.Exec("INSERT INTO numbers VALUES (3, 'already there')");
    RunFixture run(source.Connection(), target.Connection(), folder);
    run.Host.TemplatePath = "/somewhere/nightly.etf";
    AddTable(run.Schema, "numbers");
    ASSERT_EQ(run.Export(), ExportOutcome::Complete);
    EXPECT_EQ(run.Run->FailedStatementCount(), 1);
    EXPECT_EQ(run.Run->ErrorCount(), 1);
    EXPECT_EQ(run.LogLines().end()[-2],
              "red:-- 1 error(s) occurred during extract process, please view error log file!");
    EXPECT_EQ(Count(target, "numbers"), "5");
    EXPECT_EQ(target.Scalar("SELECT name FROM numbers WHERE id = 3"), "already there");
    EXPECT_EQ(target.Scalar("SELECT name FROM numbers WHERE id = 4"), "row 4");
    const std::string log = ReadFile(run.Run->ErrorLog().Path());
    EXPECT_NE(log.find("Template: \tnightly.etf\r\nFunction: \tExecuteScript\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("SQL Query: \tINSERT INTO numbers(id, name) VALUES (3, 'row 3');\r\n"),
              std::string::npos)
        << log;
}

INSTANTIATE_TEST_SUITE_P(Targets, FailingInsert,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL, Engine::MariaDB),
                         [](const auto& info) { return std::string(EngineName(info.param)); });

}  // namespace
}  // namespace vorlanex::testing
