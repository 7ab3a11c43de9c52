#include "export/ErrorLog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "export/ScriptFile.h"

namespace vorlanex {
namespace {

class FakeWindow : public IErrorLogWindow {
public:
    std::string TemplateFilePath() const override { return Template; }
    void CountError() override { ++ErrorCount; }

    std::string Template;
    int ErrorCount = 0;
};

const std::string kRule(100, '-');

class ErrorLogTest : public ::testing::Test {
protected:
    ErrorLogTest() {
        std::string pattern = (std::filesystem::temp_directory_path() / "errorlog-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        locale.ShortDateFormat = "dd.mm.yyyy";
        locale.LongTimeFormat = "hh:nn:ss";
        locale.DateSeparator = '.';
    }
    ~ErrorLogTest() override { std::filesystem::remove_all(folder); }

    TErrorLog log() const {
        return TErrorLog(folder, locale, [] { return DateTime{2011, 3, 5, 14, 7, 9}; });
    }
    std::string contents() const {
        std::ifstream in(folder / "DidiDovezidErrors.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path folder;
    LocaleFormats locale;
    FakeWindow window;
};

TEST_F(ErrorLogTest, RecordWithWindowNamesTemplateAndCounts) {
    window.Template = "/home/me/templates/orders.etf";
    log().LogError(&window, "ExecuteScript", "duplicate key\nin t",
                   "INSERT INTO t(id, name) VALUES (1, 'Smith');");
    EXPECT_EQ(contents(),
              "Timestamp: \t05.03.2011 14:07:09\r\n"
              "Template: \torders.etf\r\n"
              "Function: \tExecuteScript\r\n"
              "Error:      \tduplicate key\nin t\r\n"
              "\r\n"
              "SQL Query: \tINSERT INTO t(id, name) VALUES (1, 'Smith');\r\n"
              "\r\n" +
                  kRule + "\r\n");
    EXPECT_EQ(window.ErrorCount, 1);
}

TEST_F(ErrorLogTest, RecordsWithoutWindowOrTemplateOrSql) {
    const TErrorLog errors = log();
    errors.LogError(nullptr, "GetPrimaryKeys", "no such table", "");
    errors.LogError(nullptr, "CreateQuery", "syntax error", " \t\r\n");
    errors.LogError(&window, "ExecuteScript", "failed", "DELETE FROM t;");
    const std::string withoutSql =
        "Timestamp: \t05.03.2011 14:07:09\r\n"
        "Function: \tGetPrimaryKeys\r\n"
        "Error:      \tno such table\r\n"
        "\r\n" +
        kRule + "\r\n";
    const std::string blankSql =
        "Timestamp: \t05.03.2011 14:07:09\r\n"
        "Function: \tCreateQuery\r\n"
        "Error:      \tsyntax error\r\n"
        "\r\n" +
        kRule + "\r\n";
    const std::string noTemplate =
        "Timestamp: \t05.03.2011 14:07:09\r\n"
        "Template: \t\r\n"
        "Function: \tExecuteScript\r\n"
        "Error:      \tfailed\r\n"
        "\r\n"
        "SQL Query: \tDELETE FROM t;\r\n"
        "\r\n" +
        kRule + "\r\n";
    EXPECT_EQ(contents(), withoutSql + blankSql + noTemplate);
    EXPECT_EQ(window.ErrorCount, 1);
}

TEST_F(ErrorLogTest, DeleteRemovesThePreviousRun) {
    const TErrorLog errors = log();
    EXPECT_NO_THROW(errors.DeleteLogFile());
    errors.LogError(nullptr, "CreateQuery", "old", "SELECT 1");
    ASSERT_TRUE(std::filesystem::exists(errors.Path()));
    EXPECT_EQ(errors.Path(), folder / "DidiDovezidErrors.txt");
    errors.DeleteLogFile();
    EXPECT_FALSE(std::filesystem::exists(errors.Path()));
}

TEST_F(ErrorLogTest, FileThatCannotBeOpenedIsRaisedUncounted) {
    const TErrorLog errors(folder / "missing", locale);
    EXPECT_THROW(errors.LogError(&window, "ExecuteScript", "failed", "x"), FileError);
    EXPECT_EQ(window.ErrorCount, 0);
}

TEST_F(ErrorLogTest, FailedWriteIsRaisedButCounted) {
    std::filesystem::create_symlink("/dev/full", folder / "DidiDovezidErrors.txt");
    try {
        log().LogError(&window, "ExecuteScript", "failed", "x");
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("DidiDovezidErrors.txt"), std::string::npos);
    }
    EXPECT_EQ(window.ErrorCount, 1);
}

}  // namespace
}  // namespace vorlanex
