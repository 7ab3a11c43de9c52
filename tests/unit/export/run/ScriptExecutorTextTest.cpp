#include <gtest/gtest.h>

#include <chrono>

#include "export/ExportRun.h"
#include "export/ScriptExecutor.h"

namespace vorlanex {
namespace {

TEST(DeleteStatementTableLabel, NamesTheTableAsWritten) {
    struct Case {
        const char* statement;
        const char* label;
    };
    const Case cases[] = {
        {"DELETE FROM t;", "t"},
        {"DELETE FROM [order lines];", "[order lines]"},
        {"DELETE FROM \"order lines\";", "\"order lines\""},
        {"DELETE FROM t WHERE id = 1;", "t"},
        {"DELETE FROM t;  ", "t; "},  // up to the statement's last character
    };
    for (const auto& c : cases)
        EXPECT_EQ(DeleteStatementTableLabel(c.statement), c.label);
}

TEST(StatementScanner, EndsOnlyAtASemicolonOutsideLiterals) {
    struct Case {
        std::vector<const char*> lines;
        bool terminated;
        bool insideLiteral;
    };
    const Case cases[] = {
        {{"INSERT INTO t(a) VALUES (1);"}, true, false},
        {{"INSERT INTO t(a) VALUES ('a;b')"}, false, false},
        {{"INSERT INTO t(a) VALUES ('it''s;"}, false, true},
        {{"INSERT INTO t(a) VALUES ('first", "-- second; third');"}, true, false},
        {{"INSERT INTO \"a;b\"(x) VALUES (1)"}, false, false},
        {{"INSERT INTO `a;b`(x) VALUES ('\"');"}, true, false},
    };
    for (const auto& c : cases) {
        TStatementScanner scanner;
        bool terminated = false;
        for (const char* line : c.lines)
            terminated = scanner.Feed(line);
        EXPECT_EQ(terminated, c.terminated) << c.lines.back();
        EXPECT_EQ(scanner.InsideLiteral(), c.insideLiteral) << c.lines.back();
    }
}

TEST(TotalTimeLine, ShowsWholeMinutesAndSeconds) {
    using std::chrono::milliseconds;
    EXPECT_EQ(TotalTimeLine(milliseconds(125700)), "-- Total Time: 2min 5sec");
    EXPECT_EQ(TotalTimeLine(milliseconds(3599000)), "-- Total Time: 59min 59sec");
    EXPECT_EQ(TotalTimeLine(milliseconds(999)), "-- Total Time: 0min 0sec");
    EXPECT_EQ(TotalTimeLine(milliseconds(4503000)), "-- Total Time: 75min 3sec");
}

}  // namespace
}  // namespace vorlanex
