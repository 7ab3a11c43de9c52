#include "export/StatusDisplay.h"

#include <filesystem>

#include "model/NameCompare.h"

namespace vorlanex {

namespace {
bool hasVisibleCharacter(std::string_view text) noexcept {
    for (char c : text) {
        if (static_cast<unsigned char>(c) > 32)
            return true;
    }
    return false;
}
}  // namespace

std::string StatusLine::PlainText() const {
    std::string text;
    for (const auto& run : Runs)
        text += run.Text;
    return text;
}

void TStatusLog::AppendRun(std::string_view text) {
    auto& runs = m_lines.back().Runs;
    if (!runs.empty() && runs.back().Colour == m_colour &&
        runs.back().BoldUnderline == m_boldUnderline) {
        runs.back().Text += text;
        return;
    }
    runs.push_back({std::string(text), m_colour, m_boldUnderline});
}

void TStatusLog::EndOpenLine() {
    m_lines.emplace_back();
}

void TStatusLog::AddLine(std::string_view text) {
    if (!m_lines.back().HasText()) {
        AppendRun(text);
        EndOpenLine();
        return;
    }
    EndOpenLine();
    AppendRun(text);
}

void TStatusLog::RemoveLastLine() {
    if (m_lines.back().HasText()) {
        m_lines.back().Runs.clear();
        return;
    }
    if (m_lines.size() > 1)
        m_lines.erase(m_lines.end() - 2);
}

void TStatusLog::Clear() {
    m_lines.clear();
    m_lines.emplace_back();
}

void TStatusDisplay::logChanged() {
    if (m_view)
        m_view->LogChanged(m_log);
}

void TStatusDisplay::appendTextAndHighlight(std::string_view text, std::string_view highlight) {
    m_log.SetBoldUnderline(false);
    if (hasVisibleCharacter(text)) {
        m_log.SetColour(StatusColour::Black);
        m_log.AppendRun(text);
    }
    if (hasVisibleCharacter(highlight)) {
        m_log.SetColour(StatusColour::Red);
        m_log.AppendRun(highlight);
    }
}

void TStatusDisplay::LogStatus(std::string_view text, std::string_view highlight, bool endLine) {
    appendTextAndHighlight(text, highlight);
    if (endLine)
        m_log.EndOpenLine();
    logChanged();
    if (m_view)
        m_view->ProcessPendingEvents();
}

void TStatusDisplay::ReplaceLastStatusLine(std::string_view text, std::string_view highlight) {
    m_log.RemoveLastLine();
    appendTextAndHighlight(text, highlight);
    logChanged();
    ScrollLog();
    if (m_view)
        m_view->ProcessPendingEvents();
}

void TStatusDisplay::SetStatus(std::string_view message) {
    m_log.SetColour(StatusColour::Black);
    m_log.SetBoldUnderline(true);
    m_log.AddLine(message);
    logChanged();
    m_label = std::string(kStatusLabelPrefix) + std::string(message);
    ScrollLog();
    if (m_view)
        m_view->LabelChanged(m_label);
}

void TStatusDisplay::LogColored(std::string_view text, StatusColour colour) {
    m_log.SetColour(colour);
    m_log.AddLine(text);
    logChanged();
    ScrollLog();
    if (m_view)
        m_view->LabelChanged(m_label);
}

void TStatusDisplay::ClearLog() {
    m_log.Clear();
    logChanged();
}

void TStatusDisplay::ScrollLog() {
    m_log.Scroll();
    if (m_view)
        m_view->LogScrolled(m_log);
}

void TStatusDisplay::ResetProgress(std::int64_t maximum) {
    m_position = 0;
    m_maximum = maximum;
    if (m_view)
        m_view->ProgressChanged(m_position, m_maximum);
}

void TStatusDisplay::AdvanceProgress(std::int64_t amount) {
    m_position += amount;
    if (m_position > m_maximum)
        m_position = m_maximum;
    if (m_view)
        m_view->ProgressChanged(m_position, m_maximum);
}

std::array<std::string, 4> StatusBarTexts(const StatusBarInputs& inputs) {
    std::string templateName = std::filesystem::path(inputs.TemplateFilePath).filename().string();
    if (IsBlank(templateName))
        templateName = "NONE";
    const int tableCount = inputs.SourceConnected ? inputs.TableListCount : 0;
    return {" Errors: " + std::to_string(inputs.ErrorCount),
            " Table Count: " + std::to_string(tableCount),
            " Tables to Export: " + std::to_string(inputs.TablesToExport),
            " Template: " + templateName};
}

void CollectSettings(const WindowSettingsSnapshot& controls, TConnInfo& connInfo,
                     MiscOptions& miscOptions) {
    connInfo.DSNFrom = controls.SourceConnectionString;
    connInfo.DSNTo = controls.TargetConnectionString;
    connInfo.FileName = controls.FileText;
    connInfo.ODBCDestination = controls.ODBCChecked;
    connInfo.DBEngine = EngineFromValue(static_cast<std::uint8_t>(controls.EngineItemIndex));
    miscOptions.DeleteRecs = controls.DeleteRecsChecked;
    miscOptions.DisplaySystem = controls.SystemTablesChecked;
    miscOptions.DisplayViews = controls.ViewsChecked;
    miscOptions.DisplaySystemViews = controls.SystemViewsChecked;
    miscOptions.DisplaySynonyms = controls.SynonymsChecked;
}

}  // namespace vorlanex
