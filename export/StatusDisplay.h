#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/SharedRecords.h"

namespace vorlanex {

enum class StatusColour : std::uint8_t { Black, Red, Green };

struct Rgb {
    std::uint8_t Red, Green, Blue;
};

constexpr Rgb ColourRgb(StatusColour colour) noexcept {
    switch (colour) {
        case StatusColour::Red:
            return {255, 0, 0};
        case StatusColour::Green:
            return {0, 128, 0};
        case StatusColour::Black:
            break;
    }
    return {0, 0, 0};
}

struct StatusRun {
    std::string Text;
    StatusColour Colour = StatusColour::Black;
    bool BoldUnderline = false;
    bool operator==(const StatusRun&) const = default;
};

struct StatusLine {
    std::vector<StatusRun> Runs;
    bool HasText() const noexcept { return !Runs.empty(); }
    std::string PlainText() const;
};

// The append-only, coloured status log: finished lines followed by the open line, where all
// writing happens.
class TStatusLog {
public:
    TStatusLog() { Clear(); }

    void SetColour(StatusColour colour) noexcept { m_colour = colour; }
    void SetBoldUnderline(bool on) noexcept { m_boldUnderline = on; }

    void AppendRun(std::string_view text);
    void EndOpenLine();
    void AddLine(std::string_view text);
    void RemoveLastLine();
    void Scroll() noexcept { ++m_scrolls; }
    void Clear();

    // Every line; the last one is the open line.
    const std::vector<StatusLine>& Lines() const noexcept { return m_lines; }
    const StatusLine& OpenLine() const noexcept { return m_lines.back(); }
    size_t FinishedCount() const noexcept { return m_lines.size() - 1; }
    long Scrolls() const noexcept { return m_scrolls; }

private:
    std::vector<StatusLine> m_lines;
    StatusColour m_colour = StatusColour::Black;
    bool m_boldUnderline = false;
    long m_scrolls = 0;
};

// What shows the status to a person: the main window, or the terminal of the command-line
// runner. Every hook has a default that does nothing.
class IStatusView {
public:
    virtual ~IStatusView() = default;
    virtual void LogChanged(const TStatusLog&) {}
    virtual void LogScrolled(const TStatusLog&) {}
    virtual void LabelChanged(const std::string& /*caption*/) {}
    virtual void ProgressChanged(std::int64_t /*position*/, std::int64_t /*maximum*/) {}
    virtual void ProcessPendingEvents() {}
};

inline constexpr std::string_view kStatusLabelIdle = "Idle:";
inline constexpr std::string_view kStatusLabelPrefix = "Status: ";

// The status log, the status label and the overall progress counter.
class TStatusDisplay {
public:
    explicit TStatusDisplay(IStatusView* view = nullptr) : m_view(view) {}

    void LogStatus(std::string_view text, std::string_view highlight, bool endLine);
    void ReplaceLastStatusLine(std::string_view text, std::string_view highlight);
    void SetStatus(std::string_view message);
    void LogColored(std::string_view text, StatusColour colour);
    void ClearLog();
    void ScrollLog();
    // Ends the open line: LogStatus with a lone carriage return.
    void EndStatusLine() { LogStatus("\r", "", true); }

    void ResetProgress(std::int64_t maximum);
    void StepProgress() { AdvanceProgress(1); }
    void AdvanceProgress(std::int64_t amount);

    const TStatusLog& Log() const noexcept { return m_log; }
    const std::string& Label() const noexcept { return m_label; }
    std::int64_t ProgressPosition() const noexcept { return m_position; }
    std::int64_t ProgressMaximum() const noexcept { return m_maximum; }

private:
    void appendTextAndHighlight(std::string_view text, std::string_view highlight);
    void logChanged();

    IStatusView* m_view;
    TStatusLog m_log;
    std::string m_label{kStatusLabelIdle};
    std::int64_t m_position = 0;
    std::int64_t m_maximum = 0;
};

// The four panels of the status bar.
struct StatusBarInputs {
    int ErrorCount = 0;
    bool SourceConnected = false;
    int TableListCount = 0;
    int TablesToExport = 0;
    std::string TemplateFilePath;
};
std::array<std::string, 4> StatusBarTexts(const StatusBarInputs& inputs);

// The window's controls as CollectSettings reads them.
struct WindowSettingsSnapshot {
    std::string SourceConnectionString;
    std::string TargetConnectionString;
    std::string FileText;
    bool ODBCChecked = true;
    int EngineItemIndex = -1;
    bool DeleteRecsChecked = false;
    bool SystemTablesChecked = false;
    bool ViewsChecked = false;
    bool SystemViewsChecked = false;
    bool SynonymsChecked = false;
};
void CollectSettings(const WindowSettingsSnapshot& controls, TConnInfo& connInfo,
                     MiscOptions& miscOptions);

}  // namespace vorlanex
