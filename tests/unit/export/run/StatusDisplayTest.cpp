#include "export/StatusDisplay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorlanex {
namespace {

using Runs = std::vector<StatusRun>;
constexpr auto kBlack = StatusColour::Black;
constexpr auto kRed = StatusColour::Red;

StatusRun black(std::string text) {
    return {std::move(text), kBlack, false};
}
StatusRun red(std::string text) {
    return {std::move(text), kRed, false};
}
StatusRun heading(std::string text) {
    return {std::move(text), kBlack, true};
}

std::vector<Runs> linesOf(const TStatusLog& log) {
    std::vector<Runs> lines;
    for (const auto& line : log.Lines())
        lines.push_back(line.Runs);
    return lines;
}

TEST(StatusLog, EndingTheStatusLineOnAnEmptyLineAddsABlankLine) {
    TStatusDisplay status;
    status.EndStatusLine();
    EXPECT_EQ(linesOf(status.Log()), (std::vector<Runs>{{}, {}}));
}

TEST(StatusLog, CallsWithoutEndLineShareOneLine) {
    TStatusDisplay status;
    status.LogStatus("A: ", "1", false);
    status.LogStatus("B: ", "2", false);
    EXPECT_EQ(linesOf(status.Log()),
              (std::vector<Runs>{{black("A: "), red("1"), black("B: "), red("2")}}));
}

TEST(StatusLog, BlankTextsAreNotWrittenButAZeroHighlightIs) {
    TStatusDisplay status;
    status.LogStatus("   ", "\t", false);
    EXPECT_FALSE(status.Log().OpenLine().HasText());
    status.LogStatus("", "0", false);
    EXPECT_EQ(status.Log().OpenLine().Runs, (Runs{red("0")}));
}

TEST(StatusLog, ReplaceOnAnEmptyOpenLineTakesBackTheLastFinishedLine) {
    TStatusDisplay status;
    status.LogStatus("A: ", "0", true);
    status.EndStatusLine();  // a blank finished line
    status.ReplaceLastStatusLine("A: ", "7");
    EXPECT_EQ(linesOf(status.Log()),
              (std::vector<Runs>{{black("A: "), red("0")}, {black("A: "), red("7")}}));
    status.ReplaceLastStatusLine("A: ", "8");  // the open line has text: it is replaced
    EXPECT_EQ(linesOf(status.Log()),
              (std::vector<Runs>{{black("A: "), red("0")}, {black("A: "), red("8")}}));
}

TEST(StatusLog, RemovingFromAnEmptyLogDoesNothing) {
    TStatusLog log;
    log.RemoveLastLine();
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST(StatusLog, SetStatusAddsAHeadingAndSetsTheLabel) {
    TStatusDisplay status;
    EXPECT_EQ(status.Label(), "Idle:");
    status.LogStatus("open", "", false);
    status.SetStatus("Reading Records");
    // A line with text is ended first; the heading becomes the open line.
    EXPECT_EQ(linesOf(status.Log()),
              (std::vector<Runs>{{black("open")}, {heading("Reading Records")}}));
    EXPECT_EQ(status.Label(), "Status: Reading Records");
    status.LogColored("-- 0 error(s) found!", StatusColour::Green);
    // The colour changes, the bold style of the heading stays: that is the log's setting.
    EXPECT_EQ(status.Log().Lines().back().Runs,
              (Runs{{"-- 0 error(s) found!", StatusColour::Green, true}}));
}

TEST(Progress, StaysWithinItsMaximum) {
    TStatusDisplay status;
    status.ResetProgress(3);
    status.AdvanceProgress(2);
    status.StepProgress();
    status.StepProgress();
    EXPECT_EQ(status.ProgressPosition(), 3);
    status.ResetProgress(0);
    status.StepProgress();
    EXPECT_EQ(status.ProgressPosition(), 0);
    status.ResetProgress(10);
    status.StepProgress();
    EXPECT_EQ(status.ProgressPosition(), 1);
}

TEST(StatusBar, PanelTexts) {
    EXPECT_EQ(StatusBarTexts({0, false, 12, 3, ""}),
              (std::array<std::string, 4>{" Errors: 0", " Table Count: 0", " Tables to Export: 3",
                                          " Template: NONE"}));
    EXPECT_EQ(StatusBarTexts({5, true, 12, 0, "/home/u/orders.etf"}),
              (std::array<std::string, 4>{" Errors: 5", " Table Count: 12", " Tables to Export: 0",
                                          " Template: orders.etf"}));
}

TEST(CollectSettings, CopiesTheControlsAndAnEmptyEngineBoxGives255) {
    WindowSettingsSnapshot controls;
    controls.SourceConnectionString = "Provider=SQLite;Data Source=a.db";
    controls.TargetConnectionString = "Provider=SQLite;Data Source=b.db";
    controls.FileText = "out.sql";
    controls.ODBCChecked = false;
    controls.EngineItemIndex = -1;
    controls.DeleteRecsChecked = true;
    controls.SynonymsChecked = true;
    TConnInfo info;
    info.SourceEngine = DatabaseEngine::Oracle;
    MiscOptions misc;
    CollectSettings(controls, info, misc);
    EXPECT_EQ(info.DSNFrom, controls.SourceConnectionString);
    EXPECT_EQ(info.DSNTo, controls.TargetConnectionString);
    EXPECT_EQ(info.FileName, "out.sql");
    EXPECT_FALSE(info.ODBCDestination);
    EXPECT_EQ(EngineValue(info.DBEngine), 255);
    EXPECT_EQ(info.SourceEngine, DatabaseEngine::Oracle);
    EXPECT_TRUE(misc.DeleteRecs);
    EXPECT_FALSE(misc.DisplaySystem);
    EXPECT_TRUE(misc.DisplaySynonyms);
}

}  // namespace
}  // namespace vorlanex
