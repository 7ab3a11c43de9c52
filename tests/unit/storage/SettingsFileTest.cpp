#include "storage/SettingsFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "StorageTestSupport.h"
#include "storage/IniStore.h"

namespace vorlanex {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

class SettingsFileTest : public ::testing::Test {
protected:
    TempFolder m_folder;
    std::filesystem::path m_settings = SettingsFilePath(m_folder.Path());
};

TEST_F(SettingsFileTest, SettingsFileLivesInTheGivenFolder) {
    EXPECT_EQ(m_settings, m_folder.Path() / "Vorlanex.INI");
}

TEST_F(SettingsFileTest, NoSettingsFileGivesTheDesignedSizeAndNoRecentEntries) {
    const WindowSize size = ReadWindowSize(m_settings);
    EXPECT_EQ(size.Width, 1113);
    EXPECT_EQ(size.Height, 640);
    EXPECT_THAT(RecentFiles(m_settings), IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(m_settings));
}

TEST_F(SettingsFileTest, MissingKeysKeepTheirDesignedValue) {
    WriteBytes(m_settings, "[MAIN]\r\nWindowWidth=800\r\n");
    const WindowSize size = ReadWindowSize(m_settings);
    EXPECT_EQ(size.Width, 800);
    EXPECT_EQ(size.Height, 640);
}

TEST_F(SettingsFileTest, WindowSizeIsStoredHeightFirstAndReadBack) {
    WriteWindowSize(m_settings, WindowSize{900, 500});
    EXPECT_EQ(ReadBytes(m_settings), "[MAIN]\r\nWindowHeight=500\r\nWindowWidth=900\r\n");
    const WindowSize size = ReadWindowSize(m_settings);
    EXPECT_EQ(size.Width, 900);
    EXPECT_EQ(size.Height, 500);

    // The recent list and the size share the file without disturbing each other.
    SaveRecentFile(m_settings, "/t/a.etf");
    WriteWindowSize(m_settings, WindowSize{1000, 700});
    EXPECT_EQ(ReadBytes(m_settings),
              "[MAIN]\r\nWindowHeight=700\r\nWindowWidth=1000\r\n"
              "[RecentTemplates]\r\nFile1=/t/a.etf\r\n");
}

struct RecentCase {
    const char* name;
    const char* before;  // the section's lines, or nullptr for no settings file
    std::vector<std::string> saved;
    std::vector<std::string> after;
};

void PrintTo(const RecentCase& c, std::ostream* out) {
    *out << c.name;
}

class RecentListTest : public SettingsFileTest, public ::testing::WithParamInterface<RecentCase> {};

TEST_P(RecentListTest, SavingPathsGivesTheListInOrder) {
    const RecentCase& c = GetParam();
    if (c.before != nullptr)
        WriteBytes(m_settings, std::string("[RecentTemplates]\r\n") + c.before);
    for (const std::string& path : c.saved)
        SaveRecentFile(m_settings, path);
    EXPECT_THAT(IniStore(m_settings).ReadSectionValues(kSectionRecentTemplates),
                ElementsAreArray(c.after));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecentListTest,
    ::testing::Values(
        RecentCase{"FirstEntryCreatesTheFile", nullptr, {"/t/A.etf"}, {"File1=/t/A.etf"}},
        RecentCase{"SixPathsKeepTheNewestFive",
                   nullptr,
                   {"A", "B", "C", "D", "E", "F"},
                   {"File1=B", "File2=C", "File3=D", "File4=E", "File5=F"}},
        RecentCase{"ListedPathMovesToTheNewestPlaceOfAFullList",
                   "File1=B\r\nFile2=C\r\nFile3=D\r\nFile4=E\r\nFile5=F\r\n",
                   {"C"},
                   {"File1=B", "File2=D", "File3=E", "File4=F", "File5=C"}},
        RecentCase{"ListedPathKeepsItsPlaceInAShortList",
                   "File1=A\r\nFile2=B\r\nFile3=C\r\n",
                   {"B"},
                   {"File1=A", "File2=B", "File3=C"}},
        RecentCase{"OtherLetterCaseCountsAsListedAndReplacesTheEntry",
                   "File1=/t/a.etf\r\nFile2=/t/b.etf\r\n",
                   {"/T/A.ETF"},
                   {"File1=/T/A.ETF", "File2=/t/b.etf"}},
        RecentCase{
            "PathInsideAnotherEntryIsANewEntry",
            "File1=/y/x/a.etf\r\nFile2=/t/a.etf.old\r\n",
            {"/x/a.etf", "a.etf", "1"},
            {"File1=/y/x/a.etf", "File2=/t/a.etf.old", "File3=/x/a.etf", "File4=a.etf", "File5=1"}},
        RecentCase{"KeysOutOfOrderAreRenumberedFirst",
                   "File2=X\r\nFile1=Y\r\n",
                   {"Z", "X"},
                   {"File1=X", "File2=Y", "File3=Z"}},
        RecentCase{"GapInTheKeysLosesNoEntry",
                   "File1=X\r\nFile3=Y\r\n",
                   {"Z"},
                   {"File1=X", "File2=Y", "File3=Z"}},
        RecentCase{"OverlongHandEditedListEndsAtFive",
                   "File1=1\r\nFile2=2\r\nFile3=3\r\nFile4=4\r\nFile5=5\r\nFile6=6\r\nFile7=7\r\n",
                   {"3"},
                   {"File1=4", "File2=5", "File3=6", "File4=7", "File5=3"}}),
    [](const ::testing::TestParamInfo<RecentCase>& info) { return info.param.name; });

TEST_F(SettingsFileTest, RecentFilesAreListedNewestFirst) {
    for (const char* path : {"A", "B", "C", "D", "E", "F"})
        SaveRecentFile(m_settings, path);
    EXPECT_THAT(RecentFiles(m_settings), ElementsAre("F", "E", "D", "C", "B"));
    SaveRecentFile(m_settings, "/data/R&D templates/x=1.etf");
    EXPECT_EQ(RecentFiles(m_settings).front(), "/data/R&D templates/x=1.etf");
}

TEST(FindRecentFileTest, MatchesWholePathsWithoutRegardToCase) {
    const std::vector<std::string> lines = {"File1=/t/a.etf", "File2=/T/B.etf", "File3=/t/b.etf"};
    const std::pair<const char*, int> cases[] = {
        {"/t/a.etf", 0}, {"/t/b.etf", 1}, {"/T/A.ETF", 0}, {"a.etf", -1},
        {"/t/a.et", -1}, {"File1", -1},   {"", -1},
    };
    for (const auto& [path, index] : cases)
        EXPECT_EQ(FindRecentFile(path, lines), index) << path;
    EXPECT_EQ(FindRecentFile("x", {}), -1);
}

TEST_F(SettingsFileTest, FolderWithoutASettingsFileAllowedDoesNothingQuietly) {
    const std::filesystem::path nowhere = SettingsFilePath(m_folder / "missing folder");
    EXPECT_NO_THROW(SaveRecentFile(nowhere, "/t/a.etf"));
    EXPECT_NO_THROW(WriteWindowSize(nowhere, WindowSize{}));
    EXPECT_FALSE(std::filesystem::exists(nowhere));
}

TEST_F(SettingsFileTest, SettingsFileThatCannotBeWrittenRaisesUnableToWrite) {
    std::filesystem::create_directory(m_settings);  // exists, but no file can be written there
    for (const auto& write :
         {+[](const std::filesystem::path& p) { SaveRecentFile(p, "/t/a.etf"); },
          +[](const std::filesystem::path& p) { WriteWindowSize(p, WindowSize{}); }}) {
        try {
            write(m_settings);
            ADD_FAILURE() << "no error";
        } catch (const StorageError& e) {
            EXPECT_EQ(std::string(e.what()), "Unable to write to " + m_settings.string());
        }
    }
    const WindowSize size = ReadWindowSize(m_settings);
    EXPECT_EQ(size.Width, 1113);
    EXPECT_THAT(RecentFiles(m_settings), IsEmpty());
}

}  // namespace
}  // namespace vorlanex
