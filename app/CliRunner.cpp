#include "app/CliRunner.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <stdexcept>

#include "db/CatalogReader.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "export/ExportRun.h"
#include "model/NameCompare.h"
#include "model/ProgramFolder.h"
#include "storage/TemplateFile.h"

namespace vorlanex::cli {

namespace {

constexpr const char* kUsage =
    "usage: vorlanex-cli run TEMPLATE.etf [--file PATH] [--engine N] [--source-user USER]\n"
    "                        [--target-user USER] [--quiet]\n"
    "       vorlanex-cli tables CONNECTION [--views] [--system-tables] [--system-views]\n"
    "                        [--synonyms]\n"
    "       vorlanex-cli new --source CONNECTION (--target CONNECTION | --file PATH [--engine N])\n"
    "                        [--delete] [--table NAME]... --output TEMPLATE.etf\n"
    "       vorlanex-cli --help | --version\n";

constexpr const char* kHelp =
    "Copies the rows of chosen tables from one database into another, without a window.\n"
    "\n"
    "  run      runs a template: exports its ticked tables into its SQL script file or its\n"
    "           target database. --file and --engine write a script file instead, with that\n"
    "           destination engine (0 Access, 1 DB2, 2 MS SQL Server, 3 Oracle,\n"
    "           4 Sybase SQL Anywhere, 5 Sybase, 6 PostgreSQL, 7 MySQL / MariaDB, 8 SQLite).\n"
    "           Passwords come from VORLANEX_SOURCE_PASSWORD and VORLANEX_TARGET_PASSWORD.\n"
    "  tables   lists the tables of a connection: name, a tab, type.\n"
    "  new      writes a template: the named tables ticked in the order given, then the\n"
    "           other tables of the source unticked.\n"
    "\n"
    "Connections are strings such as \"Provider=SQLite;Data Source=shop.db\" or\n"
    "\"Provider=MSDASQL.1;Extended Properties=\\\"DSN=sales\\\"\".\n"
    "Exit status: 0 complete, 1 complete with failed statements, 2 stopped by an error,\n"
    "3 cancelled, 64 bad usage.\n";

volatile std::sig_atomic_t g_cancelSignalled = 0;

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments after the command word, taken option by option.
class ArgReader {
public:
    explicit ArgReader(const std::vector<std::string>& args) : m_args(args) {}
    bool done() const { return m_next >= m_args.size(); }
    const std::string& next() { return m_args[m_next++]; }
    std::string value(const std::string& option) {
        if (done())
            throw UsageError(option + " needs a value");
        return next();
    }

private:
    const std::vector<std::string>& m_args;
    size_t m_next = 1;
};

std::uint8_t parseEngine(const std::string& text) {
    size_t used = 0;
    int value = -1;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || value < 0 || value > 255)
        throw UsageError("--engine takes an engine number from 0 to 255, not '" + text + "'");
    return static_cast<std::uint8_t>(value);
}

std::string oneLine(std::string message) {
    for (char& c : message) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    while (!message.empty() && message.back() == ' ')
        message.pop_back();
    return message;
}

// The connection string with the login from the command line and the environment, when
// either gives one; the stored string alone otherwise.
std::string withLogin(const std::string& connection, const std::optional<std::string>& user,
                      const char* passwordVariable) {
    const char* password = std::getenv(passwordVariable);
    if (!user && !password)
        return connection;
    return ApplyLogin(connection, user ? *user : GetUserID(connection), password ? password : "");
}

std::unique_ptr<db::IConnection> connect(const std::string& connectionString) {
    auto connection = db::CreateOdbcConnection();
    connection->SetConnectionString(connectionString);
    connection->Open();
    return connection;
}

// Prints the status log as plain text, a line once it can no longer change: the last finished
// line may still be taken back by the next refresh, so it waits for the one after it.
class TerminalHost : public IExportHost {
public:
    TerminalHost(std::ostream& out, std::ostream& err, const CliEnvironment& terminal, bool quiet)
        : m_out(out), m_err(err), m_terminal(terminal), m_quiet(quiet) {}

    void attach(TExportRun& run) { m_run = &run; }

    void CollectSettings(TConnInfo&, MiscOptions&) override {}
    std::string TemplateFilePath() const override { return m_templatePath; }
    void setTemplatePath(std::string path) { m_templatePath = std::move(path); }

    void LogChanged(const TStatusLog& log) override {
        if (log.FinishedCount() < m_printed)
            m_printed = log.FinishedCount();
        if (log.FinishedCount() >= 1)
            printUpTo(log, log.FinishedCount() - 1);
    }

    void ProgressChanged(std::int64_t position, std::int64_t maximum) override {
        if (m_quiet || !m_terminal.StderrIsTerminal || maximum <= 0)
            return;
        const int percent = static_cast<int>(position * 100 / maximum);
        if (percent == m_lastPercent)
            return;
        m_lastPercent = percent;
        const int filled = percent * 30 / 100;
        m_err << "\r[" << std::string(filled, '#') << std::string(30 - filled, ' ') << "] "
              << percent << "%" << std::flush;
        m_progressShown = true;
    }

    void ProcessPendingEvents() override {
        if (g_cancelSignalled && m_run && !m_run->CancelRequested())
            m_run->TLB_CancelClick();
    }

    void finish(const TStatusLog& log) {
        printUpTo(log, log.FinishedCount());
        if (log.OpenLine().HasText())
            printLine(log.OpenLine());
        clearProgress();
        m_out.flush();
    }

private:
    void clearProgress() {
        if (m_progressShown)
            m_err << "\r\033[K" << std::flush;
        m_progressShown = false;
        m_lastPercent = -1;
    }

    void printUpTo(const TStatusLog& log, size_t count) {
        for (; m_printed < count; ++m_printed)
            printLine(log.Lines()[m_printed]);
    }

    void printLine(const StatusLine& line) {
        if (m_quiet)
            return;
        clearProgress();
        for (const auto& run : line.Runs) {
            if (!m_terminal.StdoutIsTerminal) {
                m_out << run.Text;
                continue;
            }
            const char* colour = run.Colour == StatusColour::Red     ? "\033[31m"
                                 : run.Colour == StatusColour::Green ? "\033[32m"
                                                                     : "";
            m_out << colour << (run.BoldUnderline ? "\033[1;4m" : "") << run.Text << "\033[0m";
        }
        m_out << '\n' << std::flush;
    }

    std::ostream& m_out;
    std::ostream& m_err;
    const CliEnvironment& m_terminal;
    bool m_quiet;
    TExportRun* m_run = nullptr;
    std::string m_templatePath;
    size_t m_printed = 0;
    int m_lastPercent = -1;
    bool m_progressShown = false;
};

int runTemplate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const CliEnvironment& terminal) {
    ArgReader reader(args);
    std::optional<std::string> templatePath;
    std::optional<std::string> file;
    std::optional<std::uint8_t> engine;
    std::optional<std::string> sourceUser;
    std::optional<std::string> targetUser;
    bool quiet = false;
    while (!reader.done()) {
        const std::string& arg = reader.next();
        if (arg == "--file")
            file = reader.value(arg);
        else if (arg == "--engine")
            engine = parseEngine(reader.value(arg));
        else if (arg == "--source-user")
            sourceUser = reader.value(arg);
        else if (arg == "--target-user")
            targetUser = reader.value(arg);
        else if (arg == "--quiet")
            quiet = true;
        else if (!arg.empty() && arg[0] == '-')
            throw UsageError("unknown option " + arg);
        else if (templatePath)
            throw UsageError("more than one template given");
        else
            templatePath = arg;
    }
    if (!templatePath)
        throw UsageError("run needs a template file");
    {
        std::ifstream probe(*templatePath, std::ios::binary);
        if (!probe || std::filesystem::is_directory(*templatePath))
            throw UsageError("cannot read the template " + *templatePath);
    }

    TConnInfo info;
    MiscOptions misc;
    TZTDBSchema schema;
    TZTTemplate templateFile;
    templateFile.FilePath = *templatePath;
    templateFile.OpenFile();
    templateFile.ReadDatabaseOptions(info);
    templateFile.ReadMiscOptions(misc);
    templateFile.ReadTables(schema);
    templateFile.CloseFile();
    if (file) {
        info.FileName = *file;
        info.ODBCDestination = false;
    }
    if (engine)
        info.DBEngine = EngineFromValue(*engine);

    auto source = connect(withLogin(info.DSNFrom, sourceUser, "VORLANEX_SOURCE_PASSWORD"));
    // A file destination still hands the run a target, one that is never opened.
    auto target = db::CreateOdbcConnection();
    info.SourceEngine = GetConnectionEngine(source->ConnectionString());
    if (info.ODBCDestination) {
        target->SetConnectionString(withLogin(info.DSNTo, targetUser, "VORLANEX_TARGET_PASSWORD"));
        target->Open();
    } else if (IsBlank(info.FileName)) {
        throw UsageError("the template names no script file; give one with --file");
    }

    TerminalHost host(out, err, terminal, quiet);
    host.setTemplatePath(*templatePath);
    TStatusDisplay status(&host);
    PrimaryKeyList primaryKeys;
    TExportRun run({*source, *target, schema, info, misc, primaryKeys}, host, status,
                   {ProgramFolder(), terminal.Locale});
    host.attach(run);

    ExportOutcome outcome = ExportOutcome::NotStarted;
    try {
        outcome = run.TLB_ExportClick({info.ODBCDestination, info.FileName});
    } catch (...) {
        host.finish(status.Log());
        throw;
    }
    host.finish(status.Log());
    source->Close();
    target->Close();
    switch (outcome) {
        case ExportOutcome::Complete:
            return run.ErrorCount() > 0 || run.FailedStatementCount() > 0 ? kExitCountedErrors
                                                                          : kExitComplete;
        case ExportOutcome::Cancelled:
            return kExitCancelled;
        case ExportOutcome::NotStarted:
            break;
    }
    throw std::runtime_error("the export did not start");
}

MiscOptions displayOptions(ArgReader& reader) {
    MiscOptions misc;
    while (!reader.done()) {
        const std::string& arg = reader.next();
        if (arg == "--views")
            misc.DisplayViews = true;
        else if (arg == "--system-tables")
            misc.DisplaySystem = true;
        else if (arg == "--system-views")
            misc.DisplaySystemViews = true;
        else if (arg == "--synonyms")
            misc.DisplaySynonyms = true;
        else
            throw UsageError("unknown option " + arg);
    }
    return misc;
}

int listTables(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() < 2 || args[1].empty() || args[1][0] == '-')
        throw UsageError("tables needs a connection string");
    ArgReader reader(args);
    const std::string connection = reader.next();
    const MiscOptions misc = displayOptions(reader);
    auto source = connect(connection);
    TTableInfoArray tables;
    db::GetTableInfo(*source, misc, GetConnectionEngine(connection), tables);
    for (const auto& table : tables)
        out << table.Name << '\t' << table.TableType << '\n';
    return kExitComplete;
}

int newTemplate(const std::vector<std::string>& args, std::ostream& out) {
    ArgReader reader(args);
    std::optional<std::string> source;
    std::optional<std::string> target;
    std::optional<std::string> file;
    std::optional<std::uint8_t> engine;
    std::optional<std::string> output;
    bool deleteRecords = false;
    std::vector<std::string> tableNames;
    while (!reader.done()) {
        const std::string& arg = reader.next();
        if (arg == "--source")
            source = reader.value(arg);
        else if (arg == "--target")
            target = reader.value(arg);
        else if (arg == "--file")
            file = reader.value(arg);
        else if (arg == "--engine")
            engine = parseEngine(reader.value(arg));
        else if (arg == "--output")
            output = reader.value(arg);
        else if (arg == "--delete")
            deleteRecords = true;
        else if (arg == "--table")
            tableNames.push_back(reader.value(arg));
        else
            throw UsageError("unknown argument " + arg);
    }
    if (!source)
        throw UsageError("new needs --source");
    if (!output)
        throw UsageError("new needs --output");
    if (target.has_value() == file.has_value())
        throw UsageError("new needs either --target or --file");
    if (engine && !file)
        throw UsageError("--engine goes with --file");

    TConnInfo info;
    info.DSNFrom = *source;
    info.ODBCDestination = target.has_value();
    if (target)
        info.DSNTo = *target;
    if (file)
        info.FileName = *file;
    if (engine)
        info.DBEngine = EngineFromValue(*engine);
    MiscOptions misc;
    misc.DeleteRecs = deleteRecords;

    auto connection = connect(*source);
    TTableInfoArray catalog;
    db::GetTableInfo(*connection, misc, GetConnectionEngine(*source), catalog);
    TZTDBSchema schema;
    for (const auto& name : tableNames) {
        const auto it = std::find_if(catalog.begin(), catalog.end(),
                                     [&](const TTableInfo& t) { return SameName(t.Name, name); });
        if (it == catalog.end())
            throw std::runtime_error("the source has no table " + name);
        if (schema.FindTable(it->Name))
            continue;
        TZTTable& table = schema.AddTable();
        table.TableName = it->Name;
        table.Export = true;
    }
    for (const auto& entry : catalog) {
        if (schema.FindTable(entry.Name))
            continue;
        TZTTable& table = schema.AddTable();
        table.TableName = entry.Name;
        table.Export = false;
    }

    TZTTemplate templateFile;
    templateFile.FilePath = *output;
    templateFile.OpenFile();
    templateFile.WriteDatabaseOptions(info);
    templateFile.WriteMiscOptions(misc);
    templateFile.WriteTables(schema);
    templateFile.CloseFile();
    out << "wrote " << *output << ": " << schema.CountTables(kCountExport) << " of "
        << schema.CountTables(kCountAll) << " tables ticked\n";
    return kExitComplete;
}

}  // namespace

void RequestCancelFromSignal() noexcept {
    g_cancelSignalled = 1;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliEnvironment& terminal) {
    g_cancelSignalled = 0;
    try {
        if (args.empty())
            throw UsageError("no command given");
        const std::string& command = args[0];
        if (command == "--version" && args.size() == 1) {
            out << "vorlanex-cli " << VORLANEX_VERSION << '\n';
            return kExitComplete;
        }
        const bool isCommand = command == "run" || command == "tables" || command == "new";
        const bool askedForHelp =
            std::any_of(args.begin() + (isCommand ? 1 : 0), args.end(),
                        [](const std::string& arg) { return arg == "--help" || arg == "-h"; });
        if (askedForHelp && (isCommand || args.size() == 1)) {
            out << kUsage << '\n' << kHelp;
            return kExitComplete;
        }
        int status = kExitUsage;
        if (command == "run")
            status = runTemplate(args, out, err, terminal);
        else if (command == "tables")
            status = listTables(args, out);
        else if (command == "new")
            status = newTemplate(args, out);
        else
            throw UsageError("unknown command " + command);
        // Output lost to a full disk or a closed pipe must not pass for a clean result.
        if (!out.flush()) {
            err << "vorlanex-cli: cannot write to standard output\n";
            if (status == kExitComplete || status == kExitCountedErrors)
                status = kExitStopped;
        }
        return status;
    } catch (const UsageError& error) {
        err << "vorlanex-cli: " << error.what() << '\n' << kUsage;
        return kExitUsage;
    } catch (const std::exception& error) {
        err << "vorlanex-cli: " << oneLine(error.what()) << '\n';
        return kExitStopped;
    }
}

}  // namespace vorlanex::cli
