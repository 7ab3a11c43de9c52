// vorlanex-cli as a user runs it: a separate process, its output, its exit status.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "db/Database.h"
#include "model/SchemaModel.h"
#include "model/SharedRecords.h"
#include "storage/TemplateFile.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("vorlanex-cli-" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                  "-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // Starts vorlanex-cli with the arguments; the environment gets VORLANEX_HOME=folder and
    // the extra variables. Standard input is empty; output goes to files.
    pid_t start(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                const fs::path& outPath = {}) {
        const fs::path outFile = outPath.empty() ? folder / "stdout" : outPath;
        const pid_t pid = fork();
        if (pid == 0) {
            const int in = open("/dev/null", O_RDONLY);
            const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = open((folder / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(in, 0);
            dup2(out, 1);
            dup2(err, 2);
            setenv("VORLANEX_HOME", folder.c_str(), 1);
            for (const auto& item : env)
                putenv(const_cast<char*>(item.c_str()));
            std::vector<char*> argv{const_cast<char*>(VORLANEX_CLI_PATH)};
            for (const auto& arg : args)
                argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            execv(VORLANEX_CLI_PATH, argv.data());
            _exit(127);
        }
        return pid;
    }
    Result finish(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                readFile(folder / "stdout"), readFile(folder / "stderr")};
    }
    Result cli(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
        return finish(start(args, env));
    }

    // A SQLite database made by the sqlite3 shell from the statements.
    std::string sqlite(const std::string& name, const std::string& sql) {
        const fs::path file = folder / name;
        std::ofstream(folder / "make.sql") << sql;
        const std::string command =
            "sqlite3 -bail '" + file.string() + "' < '" + (folder / "make.sql").string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << sql;
        return "Provider=SQLite;Data Source=" + file.string();
    }
    std::string sqliteScalar(const std::string& name, const std::string& sql) {
        const std::string command = "sqlite3 '" + (folder / name).string() + "' \"" + sql +
                                    "\" > '" + (folder / "scalar").string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        std::string text = readFile(folder / "scalar");
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        return text;
    }

    fs::path folder;
};

const char* kShop =
    "CREATE TABLE customers (id INTEGER PRIMARY KEY, name VARCHAR(40));"
    "CREATE TABLE \"order lines\" (id INTEGER, line INTEGER, qty INTEGER,"
    "  PRIMARY KEY (id, line));"
    "CREATE VIEW big_orders AS SELECT * FROM \"order lines\" WHERE qty > 1;";
const char* kShopRows =
    "INSERT INTO customers VALUES (1, 'Ada'), (2, 'Zoë');"
    "INSERT INTO \"order lines\" VALUES (1, 1, 2), (1, 2, 1), (2, 1, 5);";

TEST_F(Cli, VersionHelpAndUsage) {
    Result version = cli({"--version"});
    EXPECT_EQ(version.Exit, 0);
    EXPECT_EQ(version.Out, "vorlanex-cli 1.0.0\n");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"run", "--help"}, {"tables", "-h"}, {"new", "--source", "x", "--help"}}) {
        Result help = cli(args);
        EXPECT_EQ(help.Exit, 0) << args.back() << help.Err;
        EXPECT_NE(help.Out.find("vorlanex-cli run TEMPLATE.etf"), std::string::npos);
    }
    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"run"},
                                               {"run", (folder / "missing.etf").string()},
                                               {"run", folder.string()},
                                               {"run", "x.etf", "--engine", "300"},
                                               {"new", "--source", "x"}}) {
        Result bad = cli(args);
        EXPECT_EQ(bad.Exit, 64) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(bad.Err.rfind("vorlanex-cli: ", 0), 0u) << bad.Err;
        EXPECT_EQ(bad.Out, "");
    }
}

TEST_F(Cli, TablesListsTheCatalogAsTheTableListShowsIt) {
    const std::string source = sqlite("shop.db", kShop);
    Result tables = cli({"tables", source});
    EXPECT_EQ(tables.Exit, 0) << tables.Err;
    EXPECT_EQ(tables.Out, "customers\tTABLE\norder lines\tTABLE\n");
    Result withViews = cli({"tables", source, "--views"});
    EXPECT_EQ(withViews.Out, "customers\tTABLE\norder lines\tTABLE\nbig_orders\tVIEW\n");
}

TEST_F(Cli, NewThenRunCopiesTheNamedTablesIntoAFile) {
    const std::string source = sqlite("shop.db", std::string(kShop) + kShopRows);
    const std::string script = (folder / "shop.sql").string();
    const std::string templatePath = (folder / "shop.etf").string();
    Result made = cli({"new", "--source", source, "--file", script, "--engine", "8", "--table",
                       "ORDER LINES", "--table", "customers", "--output", templatePath});
    ASSERT_EQ(made.Exit, 0) << made.Err;

    vorlanex::TZTTemplate stored;
    stored.FilePath = templatePath;
    vorlanex::TConnInfo info;
    vorlanex::MiscOptions misc;
    vorlanex::TZTDBSchema schema;
    stored.OpenFile();
    stored.ReadDatabaseOptions(info);
    stored.ReadMiscOptions(misc);
    stored.ReadTables(schema);
    stored.CloseFile();
    EXPECT_EQ(info.DSNFrom, source);
    EXPECT_FALSE(info.ODBCDestination);
    EXPECT_EQ(info.DBEngine, vorlanex::DatabaseEngine::SQLite);
    ASSERT_EQ(schema.CountTables(vorlanex::kCountAll), 2);
    EXPECT_EQ(schema.GetTable(0)->TableName, "order lines");  // the catalog's spelling
    EXPECT_TRUE(schema.GetTable(0)->Export);
    EXPECT_EQ(schema.GetTable(1)->TableName, "customers");
    EXPECT_EQ(schema.GetTable(0)->FieldCount(), 0);

    Result run = cli({"run", templatePath});
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    const std::string expectedStart =
        "\nExporting Records\norder lines: 3\ncustomers: 2\n\n"
        "Extract Complete!\n-- Total Time: 0min ";
    EXPECT_EQ(run.Out.substr(0, expectedStart.size()), expectedStart) << run.Out;
    EXPECT_NE(run.Out.find("sec\n-- 0 error(s) found!\n"), std::string::npos) << run.Out;
    const std::string text = readFile(script);
    EXPECT_NE(text.find("INSERT INTO \"order lines\"(id, line, qty) VALUES (1, 2, 1);\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("VALUES (2, 'Zoë');\r\n"), std::string::npos);

    Result quiet = cli({"run", templatePath, "--quiet", "--file", (folder / "other.sql").string(),
                        "--engine", "0"});
    EXPECT_EQ(quiet.Exit, 0) << quiet.Err;
    EXPECT_EQ(quiet.Out, "");
    EXPECT_NE(readFile(folder / "other.sql").find("INSERT INTO [order lines](id, line, qty)"),
              std::string::npos);
}

TEST_F(Cli, RunIntoADatabaseReportsFailedStatementsWithExitOne) {
    const std::string source = sqlite("shop.db", std::string(kShop) + kShopRows);
    const std::string target =
        sqlite("copy.db", std::string(kShop) + "INSERT INTO customers VALUES (2, 'taken');");
    const std::string templatePath = (folder / "copy.etf").string();
    ASSERT_EQ(cli({"new", "--source", source, "--target", target, "--table", "customers", "--table",
                   "order lines", "--output", templatePath})
                  .Exit,
              0);
    Result run = cli({"run", templatePath});
    EXPECT_EQ(run.Exit, 1) << run.Out << run.Err;
    EXPECT_NE(run.Out.find("-- 1 error(s) occurred during extract process, please view error "
                           "log file!\n"),
              std::string::npos)
        << run.Out;
    EXPECT_EQ(sqliteScalar("copy.db", "SELECT count(*) FROM \\\"order lines\\\""), "3");
    EXPECT_EQ(sqliteScalar("copy.db", "SELECT name FROM customers WHERE id = 2"), "taken");
    const std::string log = readFile(folder / "DidiDovezidErrors.txt");
    EXPECT_NE(log.find("Template: \tcopy.etf\r\n"), std::string::npos) << log;
}

TEST_F(Cli, OutputThatCannotBeWrittenIsAnError) {
    const std::string source = sqlite("shop.db", std::string(kShop) + kShopRows);
    const std::string templatePath = (folder / "shop.etf").string();
    ASSERT_EQ(cli({"new", "--source", source, "--file", (folder / "shop.sql").string(), "--table",
                   "customers", "--output", templatePath})
                  .Exit,
              0);
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"run", templatePath}, {"tables", source}}) {
        Result full = finish(start(args, {}, "/dev/full"));
        EXPECT_EQ(full.Exit, 2) << args[0];
        EXPECT_EQ(full.Err.rfind("vorlanex-cli: ", 0), 0u) << full.Err;
        EXPECT_EQ(std::count(full.Err.begin(), full.Err.end(), '\n'), 1) << full.Err;
    }
    // Quiet prints nothing, so there is nothing to fail.
    EXPECT_EQ(finish(start({"run", templatePath, "--quiet"}, {}, "/dev/full")).Exit, 0);
}

TEST_F(Cli, AnErrorStopsTheRunWithOneLineOnStandardError) {
    const std::string templatePath = (folder / "broken.etf").string();
    std::ofstream(templatePath) << "[Database Options]\r\nDSNFrom=Provider=SQLite;Data Source="
                                << (folder / "missing.db").string()
                                << "\r\nODBCDestination=0\r\nFileName="
                                << (folder / "x.sql").string() << "\r\n";
    Result run = cli({"run", templatePath});
    EXPECT_EQ(run.Exit, 2);
    EXPECT_EQ(run.Err.rfind("vorlanex-cli: ", 0), 0u) << run.Err;
    EXPECT_NE(run.Err.find("missing.db"), std::string::npos) << run.Err;
    EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
}

TEST_F(Cli, TheLoginComesFromTheCommandLineAndTheEnvironment) {
    const char* odbc = std::getenv("VORLANEX_TEST_PG_CONN");
    ASSERT_TRUE(odbc) << "start the servers with scripts/test-servers";
    const std::string user = std::getenv("VORLANEX_TEST_PG_USER");
    // The target's string without any login, as a template stores it.
    std::string withoutLogin = odbc;
    for (const std::string key : {";UID=", ";PWD="}) {
        const size_t at = withoutLogin.find(key);
        const size_t end = withoutLogin.find(';', at + 1);
        withoutLogin.erase(at, end == std::string::npos ? std::string::npos : end - at);
    }
    const std::string target = "Provider=MSDASQL.1;Extended Properties=\"" + withoutLogin + "\"";
    const std::string source = sqlite("shop.db", std::string(kShop) + kShopRows);
    {
        auto pg = vorlanex::db::CreateOdbcConnection();
        pg->SetConnectionString(std::string("Provider=MSDASQL.1;Extended Properties=\"") + odbc +
                                "\"");
        pg->Open();
        auto query = pg->CreateQuery();
        query->SetSQL("DROP TABLE IF EXISTS customers");
        query->ExecSQL();
        query->SetSQL("CREATE TABLE customers (id INTEGER PRIMARY KEY, name VARCHAR(40))");
        query->ExecSQL();
    }
    const std::string templatePath = (folder / "pg.etf").string();
    ASSERT_EQ(cli({"new", "--source", source, "--target", target, "--table", "customers",
                   "--output", templatePath})
                  .Exit,
              0);
    Result denied =
        cli({"run", templatePath, "--target-user", user}, {"VORLANEX_TARGET_PASSWORD=wrong"});
    EXPECT_EQ(denied.Exit, 2) << denied.Out;
    EXPECT_NE(denied.Err.find("password authentication failed"), std::string::npos) << denied.Err;
    Result run =
        cli({"run", templatePath, "--target-user", user},
            {"VORLANEX_TARGET_PASSWORD=" + std::string(std::getenv("VORLANEX_TEST_PG_PASSWORD"))});
    EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
    EXPECT_NE(run.Out.find("customers: 2\n"), std::string::npos) << run.Out;
}

TEST_F(Cli, OutsideARunASignalEndsTheProgramAsUsual) {
    // A server that takes the connection and never answers keeps "tables" waiting.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const std::string silent =
        "Provider=MSDASQL.1;Extended Properties=\"DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;"
        "PORT=" +
        std::to_string(ntohs(address.sin_port)) + ";DATABASE=x;UID=x;PWD=x\"";

    const pid_t pid = start({"tables", silent});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 300 && waitpid(pid, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (kill(pid, 0) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        ADD_FAILURE() << "SIGTERM did not end vorlanex-cli tables";
    } else {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    }
    close(listener);
}

TEST_F(Cli, SigintCancelsTheRunAndExitsThree) {
    const std::string source =
        sqlite("big.db",
               "CREATE TABLE numbers (id INTEGER PRIMARY KEY, name VARCHAR(20));"
               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400000)"
               "INSERT INTO numbers SELECT i, 'n' || i FROM n;");
    const std::string templatePath = (folder / "big.etf").string();
    ASSERT_EQ(cli({"new", "--source", source, "--file", (folder / "big.sql").string(), "--table",
                   "numbers", "--output", templatePath})
                  .Exit,
              0);
    const pid_t pid = start({"run", templatePath});
    // Wait until the run is reading the table, then interrupt it.
    for (int i = 0;
         i < 200 && readFile(folder / "stdout").find("Exporting Records") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(pid, SIGINT);
    Result run = finish(pid);
    EXPECT_EQ(run.Exit, 3) << run.Out << run.Err;
    const std::string tail = "\nExtract Cancelled\n";
    ASSERT_GE(run.Out.size(), tail.size());
    EXPECT_EQ(run.Out.substr(run.Out.size() - tail.size()), tail) << run.Out;
}

}  // namespace
