#include "export/ScriptExecutor.h"

#include <memory>

#include "export/ScriptFile.h"
#include "export/SqlText.h"
#include "model/NameCompare.h"

namespace vorlanex {

namespace {
constexpr std::string_view kTableMarker = "-- Table:";
constexpr std::string_view kDeleteMarker = "-- Delete Records";
constexpr const char* kFunctionName = "ExecuteScript";
constexpr int kRefreshEvery = 75;
constexpr std::string_view kInsertStart = "INSERT INTO ";
constexpr std::string_view kValuesStart = " VALUES (";

// Where the quotes of a statement's first line start to count. Only the values of an INSERT
// hold literals that can spread over lines; names are written without escaping, so an
// apostrophe in a table or column name must not open a literal. npos: the statement has no
// such literals and ends at the first line that holds a ";".
size_t LiteralsStart(std::string_view firstLine) noexcept {
    if (firstLine.substr(0, kInsertStart.size()) != kInsertStart)
        return std::string_view::npos;
    return firstLine.find(kValuesStart);
}
}  // namespace

std::string DeleteStatementTableLabel(std::string_view statement) {
    const size_t where = statement.find(" WHERE ");
    if (where != std::string_view::npos) {
        constexpr size_t kStart = 12;  // just after "DELETE FROM "
        if (where <= kStart)
            return {};
        return std::string(statement.substr(kStart, where - kStart));
    }
    const size_t from = statement.find(" FROM ");
    if (from == std::string_view::npos || statement.empty())
        return {};
    const size_t begin = from + 6;
    const size_t end = statement.size() - 1;
    return begin < end ? std::string(statement.substr(begin, end - begin)) : std::string();
}

bool TStatementScanner::Feed(std::string_view text) noexcept {
    bool terminated = false;
    for (char c : text) {
        if (m_quote) {
            // A doubled quote inside a literal toggles twice and so stays inside.
            if (c == m_quote)
                m_quote = 0;
        } else if (c == '\'' || c == '"' || c == '`') {
            m_quote = c;
        } else if (c == ';') {
            terminated = true;
        }
    }
    return terminated;
}

int TScriptExecutor::ExecuteScript(const std::filesystem::path& scriptFile, int& failedCount) {
    std::unique_ptr<db::IQuery> query = m_target.CreateQuery();
    const auto fileSize = static_cast<std::int64_t>(FileSizeOf(scriptFile));
    m_status.ResetProgress(fileSize);
    TTextFileReader reader(scriptFile);

    std::string pending;
    std::string currentTable;
    bool deleting = false;
    bool inTransaction = false;
    int statementCount = 0;
    TStatementScanner scanner;
    bool pendingTerminated = false;
    bool scanLiterals = false;
    bool atEnd = false;

    auto showCount = [&] {
        m_status.ReplaceLastStatusLine(std::string(TrimControl(currentTable)) + ": ",
                                       std::to_string(statementCount));
    };
    auto execute = [&] {
        try {
            query->SetSQL(pending);
            query->ExecSQL();
        } catch (const db::DatabaseError& error) {
            ++failedCount;
            m_errorLog.LogError(m_window, kFunctionName, error.what(), pending);
        }
    };

    std::string line;
    std::string_view lineEnd;
    try {
        while (true) {
            if (m_cancelRequested)
                break;
            if (!reader.ReadLine(line, lineEnd)) {
                atEnd = true;
                break;
            }
            m_status.AdvanceProgress(static_cast<std::int64_t>(line.size()));

            const bool insideLiteral = scanner.InsideLiteral();
            if (!insideLiteral && (IsCommentLine(line) || IsBlank(line))) {
                if (!currentTable.empty() && !deleting) {
                    showCount();
                    m_status.EndStatusLine();
                }
                if (line.find(kTableMarker) != std::string::npos) {
                    if (!currentTable.empty() && !deleting) {
                        inTransaction = false;
                        m_target.CommitTrans();
                    } else {
                        m_status.EndStatusLine();
                        m_status.SetStatus(kStatusExportingRecords);
                    }
                    deleting = false;
                    inTransaction = true;
                    m_target.BeginTrans();
                    statementCount = 0;
                    const size_t trimmedLength = TrimControl(line).size();
                    currentTable = trimmedLength > 9 && line.size() > 9
                                       ? line.substr(9, trimmedLength - 9)
                                       : std::string();
                    m_status.LogStatus(currentTable + ": ", "0", true);
                }
                if (line.find(kDeleteMarker) != std::string::npos) {
                    deleting = true;
                    m_status.SetStatus(kStatusDeletingRecords);
                }
                continue;
            }

            std::string_view scanned = line;
            if (pending.empty()) {
                const size_t start = LiteralsStart(line);
                scanLiterals = start != std::string_view::npos;
                scanned.remove_prefix(scanLiterals ? start : 0);
            }
            pending += line;
            if (scanLiterals ? scanner.Feed(scanned) : scanned.find(';') != std::string_view::npos)
                pendingTerminated = true;
            if (!pendingTerminated || scanner.InsideLiteral()) {
                // The statement goes on in the next line; keep the line break it holds.
                pending += lineEnd;
                continue;
            }
            execute();
            if (deleting) {
                currentTable = DeleteStatementTableLabel(pending);
                const std::int64_t affected = query->RowsAffected();
                m_status.LogStatus(currentTable + ": ", std::to_string(affected < 0 ? 0 : affected),
                                   true);
                if (m_events)
                    m_events->ProcessPendingEvents();
            } else {
                ++statementCount;
                if (statementCount % kRefreshEvery == 0)
                    showCount();
            }
            pending.clear();
            pendingTerminated = false;
            scanner.Reset();
        }
    } catch (...) {
        // The error reaches the run; what was executed of the open table block stays.
        reader.Close();
        if (inTransaction) {
            try {
                m_target.CommitTrans();
            } catch (...) {
            }
        }
        throw;
    }

    reader.Close();
    if (atEnd && !pending.empty()) {
        // A statement the file ends in before its ";" or its literal closes still runs, so that
        // it arrives or is logged and counted as failed.
        while (!pending.empty() && (pending.back() == '\n' || pending.back() == '\r'))
            pending.pop_back();
        execute();
        if (!deleting)
            ++statementCount;
    }
    m_status.AdvanceProgress(fileSize);
    showCount();
    if (inTransaction) {
        inTransaction = false;
        m_target.CommitTrans();
    }
    return 0;
}

}  // namespace vorlanex
