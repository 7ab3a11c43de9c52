#include "export/ExportRun.h"

#include <system_error>

#include "db/CatalogReader.h"
#include "db/ConnectionString.h"
#include "export/ScriptExecutor.h"
#include "export/ScriptFile.h"
#include "export/SqlText.h"
#include "model/DateTime.h"
#include "model/NameCompare.h"

namespace vorlanex {

namespace {

constexpr std::string_view kHeaderDate = "-- Date of Didi Dovezid: ";
constexpr std::string_view kHeaderSource = "-- Source ODBC DSN: ";
constexpr std::string_view kHeaderDelete = "-- Delete Records ";
constexpr std::string_view kHeaderTable = "-- Table: ";
constexpr const char* kCreateQueryFunction = "CreateQuery";
constexpr int kRefreshEvery = 75;

// Marks the run as under way for as long as it lives, on every path.
class RunningScope {
public:
    RunningScope(bool& running, IExportHost& host) : m_running(running), m_host(host) {
        m_running = true;
        m_host.RunningChanged(true);
    }
    ~RunningScope() {
        m_running = false;
        m_host.RunningChanged(false);
    }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    bool& m_running;
    IExportHost& m_host;
};

}  // namespace

std::string TotalTimeLine(std::chrono::milliseconds elapsed) {
    const auto totalSeconds = elapsed.count() / 1000;
    // Whole minutes, so that a run of an hour or more does not lose its hours.
    return "-- Total Time: " + std::to_string(totalSeconds / 60) + "min " +
           std::to_string(totalSeconds % 60) + "sec";
}

TExportRun::TExportRun(ExportContext context, IExportHost& host, TStatusDisplay& status,
                       ExportSettings settings)
    : m_context(context),
      m_host(host),
      m_status(status),
      m_settings(std::move(settings)),
      m_errorLog(m_settings.ProgramFolder, m_settings.Locale) {}

void TExportRun::CountError() {
    ++m_errorCount;
    m_host.UpdateStatusBar();
}

void TExportRun::setCancelEnabled(bool enabled) {
    m_host.CancelEnabledChanged(enabled);
}

void TExportRun::TLB_CancelClick() {
    m_cancelRequested = true;
    setCancelEnabled(false);
}

ExportOutcome TExportRun::TLB_ExportClick(const ExportCommandState& command) {
    if (m_running)
        return ExportOutcome::NotStarted;
    struct DisableCancel {
        TExportRun& run;
        ~DisableCancel() { run.setCancelEnabled(false); }
    } disableCancel{*this};

    if (!m_context.Source.Connected())
        return ExportOutcome::NotStarted;
    if (command.ODBCChecked && !m_context.Target.Connected())
        return ExportOutcome::NotStarted;
    if (!command.ODBCChecked && IsBlank(command.FileText))
        return ExportOutcome::NotStarted;
    m_cancelRequested = false;
    m_errorCount = 0;
    m_status.ResetProgress(0);
    return ExportData();
}

void TExportRun::writeHeader() {
    const TConnInfo& info = m_context.ConnInfo;
    std::error_code ignored;
    std::filesystem::remove(info.FileName, ignored);
    TTextFileWriter file(info.FileName, TTextFileWriter::Mode::Create);
    const std::string separator = SeparatorLine();
    const LocaleFormats& locale = m_settings.Locale;
    file.WriteLine(separator);
    file.WriteLine(std::string(kHeaderDate) +
                   FormatDateTime(locale.ShortDateFormat + " " + locale.LongTimeFormat,
                                  DateTime::Now(), locale));
    file.WriteLine(std::string(kHeaderSource) + GetDataSource(info.DSNFrom));
    file.WriteLine(separator);
    file.WriteLine(DateFormatHeader(EngineValue(info.DBEngine)));
    if (m_context.Misc.DeleteRecs) {
        file.WriteLine(separator);
        file.WriteLine(kHeaderDelete);
        file.WriteLine(separator);
    }
    file.Close();
}

ExportOutcome TExportRun::ExportData() {
    RunningScope running(m_running, m_host);
    TConnInfo& info = m_context.ConnInfo;
    TZTDBSchema& schema = m_context.Schema;

    m_host.CollectSettings(info, m_context.Misc);
    m_errorLog.DeleteLogFile();
    const auto start = std::chrono::steady_clock::now();

    setCancelEnabled(true);
    m_status.ClearLog();
    m_status.ResetProgress(schema.CountTables(kCountExportNotGrayed));

    if (info.ODBCDestination) {
        info.FileName = (m_settings.ProgramFolder / kTemporaryScriptName).string();
        info.DBEngine = GetConnectionEngine(m_context.Target.ConnectionString());
    }
    writeHeader();

    const int tableCount = schema.CountTables(kCountAll);
    for (int i = 0; i < tableCount; ++i) {
        TZTTable* table = schema.GetTable(i);
        if (table->Export && table->FieldCount() == 0)
            db::LoadTableFields(m_context.Source, *table, info, m_context.PrimaryKeys);
    }
    if (m_context.Misc.DeleteRecs) {
        for (int i = tableCount - 1; i >= 0; --i) {
            TZTTable* table = schema.GetTable(i);
            if (table->Export)
                WriteDeleteStatement(table, info);
        }
    }

    m_status.EndStatusLine();
    m_status.SetStatus(info.ODBCDestination ? kStatusReadingRecords : kStatusExportingRecords);

    for (int i = 0; i < tableCount; ++i) {
        TZTTable* table = schema.GetTable(i);
        if (!table->Export)
            continue;
        ExportTable(*table);
        m_status.StepProgress();
        m_host.ProcessPendingEvents();
        if (m_cancelRequested)
            break;
        m_status.EndStatusLine();
    }

    if (m_cancelRequested) {
        m_status.EndStatusLine();
        m_status.EndStatusLine();
        m_status.ScrollLog();
        m_status.SetStatus(kStatusExtractCancelled);
        m_status.ScrollLog();
        return ExportOutcome::Cancelled;
    }

    if (info.ODBCDestination) {
        m_status.EndStatusLine();
        m_failedStatements = 0;
        TScriptExecutor executor(m_context.Target, m_status, m_errorLog, this, &m_host,
                                 m_cancelRequested);
        executor.ExecuteScript(info.FileName, m_failedStatements);
        m_status.EndStatusLine();
    } else {
        m_failedStatements = 0;
    }
    m_status.EndStatusLine();

    if (m_cancelRequested) {
        m_status.SetStatus(kStatusExtractCancelled);
        m_status.ScrollLog();
        return ExportOutcome::Cancelled;
    }

    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    m_status.SetStatus(kStatusExtractComplete);
    m_status.ScrollLog();
    m_status.LogStatus(TotalTimeLine(elapsed), "", true);
    m_status.ScrollLog();
    const std::string failed = std::to_string(m_failedStatements);
    if (m_errorCount > 0) {
        m_status.LogColored(
            "-- " + failed +
                " error(s) occurred during extract process, please view error log file!",
            StatusColour::Red);
    } else {
        m_status.LogColored("-- " + failed + " error(s) found!", StatusColour::Green);
    }
    m_status.ScrollLog();
    return ExportOutcome::Complete;
}

bool TExportRun::CreateQuery(db::IConnection& connection, const std::string& sql, bool open,
                             std::unique_ptr<db::IQuery>& query) {
    query = connection.CreateQuery();
    query->SetSQL(sql);
    query->Prepare();
    if (open) {
        try {
            query->Open();
        } catch (const db::DatabaseError& error) {
            m_errorLog.LogError(nullptr, kCreateQueryFunction, error.what(), sql);
        }
    }
    return true;
}

int TExportRun::ExportTable(TZTTable& table) {
    const TConnInfo& info = m_context.ConnInfo;
    const ColumnLists lists = BuildColumnLists(table, info);
    std::unique_ptr<db::IQuery> query;
    CreateQuery(m_context.Source, lists.SelectText, true, query);

    TTextFileWriter file(info.FileName, TTextFileWriter::Mode::Append);
    const std::string separator = SeparatorLine();
    file.WriteLine(separator);
    file.WriteLine(std::string(kHeaderTable) + table.TableName);
    file.WriteLine(separator);

    const std::string label = table.TableName + ": ";
    long long rowCount = 0;
    m_status.LogStatus(label, "0", true);
    m_status.ReplaceLastStatusLine(label, "0");

    if (!query->IsOpen())
        query->Open();
    TRowValueText values(table, info.DBEngine, m_settings.Locale);
    std::string line;
    if (!query->IsEmpty()) {
        query->First();
        while (!query->Eof() && !m_cancelRequested) {
            line.assign(lists.InsertHead);
            values.Append(*query, line);
            ++rowCount;
            if (rowCount % kRefreshEvery == 0)
                m_status.ReplaceLastStatusLine(label, std::to_string(rowCount));
            line += "\r\n";
            file.Write(line);
            query->Next();
        }
    }
    m_status.ReplaceLastStatusLine(label, std::to_string(rowCount));
    query->Close();
    file.Close();
    return 0;
}

}  // namespace vorlanex
