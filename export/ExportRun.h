#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "db/Database.h"
#include "export/ErrorLog.h"
#include "export/StatusDisplay.h"
#include "model/LocaleFormats.h"
#include "model/SchemaModel.h"
#include "model/SharedRecords.h"
#include "model/TypeCatalogue.h"

namespace vorlanex {

inline constexpr std::string_view kStatusReadingRecords = "Reading Records";
inline constexpr std::string_view kStatusExtractComplete = "Extract Complete!";
inline constexpr std::string_view kStatusExtractCancelled = "Extract Cancelled";
inline constexpr std::string_view kTemporaryScriptName = "zttemp.sql";

// What the export run needs from the window or the command-line runner that hosts it.
class IExportHost : public IStatusView {
public:
    // Copies the host's controls into the export settings at the start of a run.
    virtual void CollectSettings(TConnInfo& connInfo, MiscOptions& miscOptions) = 0;
    // The template file in use, for the error log; empty when there is none.
    virtual std::string TemplateFilePath() const = 0;
    virtual void UpdateStatusBar() {}
    virtual void CancelEnabledChanged(bool /*enabled*/) {}
    // While a run is under way the host must not start another export, change connections,
    // templates or the table list: the run works on them between its event-processing points.
    virtual void RunningChanged(bool /*running*/) {}
};

// The host's state that the Export command checks before it starts a run.
struct ExportCommandState {
    bool ODBCChecked = true;
    std::string FileText;
};

enum class ExportOutcome { NotStarted, Complete, Cancelled };

// Everything one run reads and changes; the host owns all of it.
struct ExportContext {
    db::IConnection& Source;
    db::IConnection& Target;
    TZTDBSchema& Schema;
    TConnInfo& ConnInfo;
    MiscOptions& Misc;
    PrimaryKeyList& PrimaryKeys;
};

struct ExportSettings {
    std::filesystem::path ProgramFolder;
    LocaleFormats Locale;
};

// The Export and Cancel commands and the run between them.
class TExportRun : private IErrorLogWindow {
public:
    TExportRun(ExportContext context, IExportHost& host, TStatusDisplay& status,
               ExportSettings settings);

    // Checks the preconditions and runs ExportData. An error that nothing in the run catches
    // stops it and reaches the caller. NotStarted when a precondition fails or a run is on.
    ExportOutcome TLB_ExportClick(const ExportCommandState& command);
    void TLB_CancelClick();

    ExportOutcome ExportData();
    int ExportTable(TZTTable& table);
    bool CreateQuery(db::IConnection& connection, const std::string& sql, bool open,
                     std::unique_ptr<db::IQuery>& query);

    bool IsRunning() const noexcept { return m_running; }
    bool CancelRequested() const noexcept { return m_cancelRequested; }
    int ErrorCount() const noexcept { return m_errorCount; }
    int FailedStatementCount() const noexcept { return m_failedStatements; }
    const TErrorLog& ErrorLog() const noexcept { return m_errorLog; }

private:
    std::string TemplateFilePath() const override { return m_host.TemplateFilePath(); }
    void CountError() override;
    void setCancelEnabled(bool enabled);
    void writeHeader();

    ExportContext m_context;
    IExportHost& m_host;
    TStatusDisplay& m_status;
    ExportSettings m_settings;
    TErrorLog m_errorLog;
    bool m_running = false;
    bool m_cancelRequested = false;
    int m_errorCount = 0;
    int m_failedStatements = 0;
};

// "-- Total Time: " with the whole minutes and the seconds of the elapsed time.
std::string TotalTimeLine(std::chrono::milliseconds elapsed);

}  // namespace vorlanex
