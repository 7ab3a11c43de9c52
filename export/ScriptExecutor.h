#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "db/Database.h"
#include "export/ErrorLog.h"
#include "export/StatusDisplay.h"

namespace vorlanex {

inline constexpr std::string_view kStatusDeletingRecords = "Deleting Records";
inline constexpr std::string_view kStatusExportingRecords = "Exporting Records";

// The label a DELETE statement's table gets in the status log.
std::string DeleteStatementTableLabel(std::string_view statement);

// Tracks whether the text read so far ends inside a quoted literal or name, so that a
// statement ends only at a ";" outside them and a line inside a literal is never a marker.
class TStatementScanner {
public:
    // Scans the text; true when it holds a ";" outside any literal.
    bool Feed(std::string_view text) noexcept;
    bool InsideLiteral() const noexcept { return m_quote != 0; }
    void Reset() noexcept { m_quote = 0; }

private:
    char m_quote = 0;
};

// Executes a script file on the target connection: DELETE lines outside any transaction, each
// table block in a transaction of its own; a failing statement is logged, counted and skipped.
class TScriptExecutor {
public:
    TScriptExecutor(db::IConnection& target, TStatusDisplay& status, TErrorLog& errorLog,
                    IErrorLogWindow* window, IStatusView* events, const bool& cancelRequested)
        : m_target(target),
          m_status(status),
          m_errorLog(errorLog),
          m_window(window),
          m_events(events),
          m_cancelRequested(cancelRequested) {}

    // Adds 1 to failedCount for each statement that fails. Returns 0.
    int ExecuteScript(const std::filesystem::path& scriptFile, int& failedCount);

private:
    db::IConnection& m_target;
    TStatusDisplay& m_status;
    TErrorLog& m_errorLog;
    IErrorLogWindow* m_window;
    IStatusView* m_events;
    const bool& m_cancelRequested;
};

}  // namespace vorlanex
