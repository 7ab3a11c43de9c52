#include "storage/IniStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "StorageTestSupport.h"

namespace vorlanex {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

class IniStoreTest : public ::testing::Test {
protected:
    TempFolder m_folder;
    std::filesystem::path m_file = m_folder / "store.ini";
};

TEST_F(IniStoreTest, WritesCreateSectionsAndKeysAtTheEndAndReplaceInPlace) {
    IniStore store(m_file);
    store.WriteString("First", "A", "1");
    store.WriteString("Second", "B", "two words");
    store.WriteString("First", "C", "3");
    store.WriteInteger("Second", "N", -42);
    store.WriteBool("Second", "T", true);
    store.WriteBool("Second", "F", false);
    store.WriteString("first", "a", "one");  // other letter case: the same key, replaced in place

    EXPECT_EQ(ReadBytes(m_file),
              "[First]\r\na=one\r\nC=3\r\n"
              "[Second]\r\nB=two words\r\nN=-42\r\nT=1\r\nF=0\r\n");
}

TEST_F(IniStoreTest, RewriteKeepsForeignLinesAndAddsKeysBeforeTrailingBlankLines) {
    WriteBytes(m_file, "; note\n[One]\nx=1\nno equals sign\n\n[Two]\ny=2\n");
    IniStore store(m_file);
    store.WriteString("One", "z", "3");
    EXPECT_EQ(ReadBytes(m_file),
              "; note\r\n[One]\r\nx=1\r\nno equals sign\r\nz=3\r\n\r\n[Two]\r\ny=2\r\n");
}

TEST_F(IniStoreTest, ReadsTrimmedValuesFirstOccurrenceAndDefaults) {
    WriteBytes(m_file,
               "[S]\r\n  Key  =  padded value \t\r\nDup=first\r\nDup=second\r\n"
               "Empty=\r\n;Hidden=comment\r\n[ s ]\r\nLater=in a second section\r\n"
               "[Other]\nLf=unix line end\n");
    const IniStore store(m_file);
    EXPECT_EQ(store.ReadString("S", "key", "d"), "padded value");
    EXPECT_EQ(store.ReadString("S", "Dup", "d"), "first");
    EXPECT_EQ(store.ReadString("S", "Empty", "d"), "");
    EXPECT_EQ(store.ReadString("S", ";Hidden", "d"), "d");
    EXPECT_EQ(store.ReadString("S", "Later", "d"), "in a second section");
    EXPECT_EQ(store.ReadString("OTHER", "LF", "d"), "unix line end");
    EXPECT_EQ(store.ReadString("S", "Missing", "d"), "d");
    EXPECT_EQ(store.ReadString("Missing", "Key", "d"), "d");
    EXPECT_THAT(store.ReadSectionValues("s"),
                ElementsAre("Key=padded value", "Dup=first", "Dup=second",
                            "Empty=", "Later=in a second section"));
    EXPECT_THAT(store.ReadSectionValues("Missing"), IsEmpty());
    EXPECT_EQ(store.KeyCount(), 6u);
}

// A file saved by an editor that puts a UTF-8 byte order mark first keeps its first section.
TEST_F(IniStoreTest, ByteOrderMarkBeforeTheFirstSectionIsSkipped) {
    WriteBytes(m_file, "\xEF\xBB\xBF[Database Options]\r\nDSNFrom=Data Source=x\r\n");
    IniStore store(m_file);
    EXPECT_EQ(store.ReadString("Database Options", "DSNFrom", "lost"), "Data Source=x");
    store.WriteString("Database Options", "DSNTo", "y");
    EXPECT_EQ(ReadBytes(m_file), "[Database Options]\r\nDSNFrom=Data Source=x\r\nDSNTo=y\r\n");
}

TEST_F(IniStoreTest, MissingFileReadsDefaultsAndEraseLeavesItMissing) {
    IniStore store(m_file);
    EXPECT_EQ(store.ReadString("S", "K", "d"), "d");
    EXPECT_EQ(store.ReadInteger("S", "K", 7), 7);
    EXPECT_TRUE(store.ReadBool("S", "K", true));
    EXPECT_THAT(store.ReadSectionValues("S"), IsEmpty());
    store.EraseSection("S");
    EXPECT_FALSE(std::filesystem::exists(m_file));
}

TEST_F(IniStoreTest, EraseRemovesEverySectionOfTheName) {
    WriteBytes(m_file, "[A]\r\nk=1\r\n[B]\r\nk=2\r\n[a]\r\nk=3\r\n");
    IniStore store(m_file);
    store.EraseSection("A");
    EXPECT_EQ(ReadBytes(m_file), "[B]\r\nk=2\r\n");
    EXPECT_EQ(store.ReadString("A", "k", "gone"), "gone");
}

struct IntegerCase {
    const char* text;
    int expected;  // kDefault when the text is no integer
};
constexpr int kDefault = -999;

void PrintTo(const IntegerCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class IniIntegerTest : public IniStoreTest, public ::testing::WithParamInterface<IntegerCase> {};

TEST_P(IniIntegerTest, ReadsDecimalAndHexadecimalOrTheDefault) {
    WriteBytes(m_file, std::string("[S]\r\nN=") + GetParam().text + "\r\n");
    EXPECT_EQ(IniStore(m_file).ReadInteger("S", "N", kDefault), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniIntegerTest,
    ::testing::Values(IntegerCase{"12", 12}, IntegerCase{"-7", -7}, IntegerCase{"+3", 3},
                      IntegerCase{"  5  ", 5}, IntegerCase{"007", 7}, IntegerCase{"0x1F", 31},
                      IntegerCase{"0XfF", 255}, IntegerCase{"0xFFFFFFFF", -1},
                      IntegerCase{"2147483647", 2147483647},
                      IntegerCase{"-2147483648", -2147483647 - 1},
                      IntegerCase{"2147483648", kDefault}, IntegerCase{"0x100000000", kDefault},
                      IntegerCase{"", kDefault}, IntegerCase{"-", kDefault},
                      IntegerCase{"12abc", kDefault}, IntegerCase{"1 2", kDefault},
                      IntegerCase{"0x", kDefault}, IntegerCase{"0xG1", kDefault},
                      IntegerCase{"-0x10", kDefault}, IntegerCase{"yes", kDefault}));

TEST_F(IniStoreTest, BooleansAreIntegersWithTheirDefault) {
    WriteBytes(m_file, "[S]\r\nOne=1\r\nZero=0\r\nTwo=2\r\nWord=true\r\n");
    const IniStore store(m_file);
    EXPECT_TRUE(store.ReadBool("S", "One", false));
    EXPECT_FALSE(store.ReadBool("S", "Zero", true));
    EXPECT_TRUE(store.ReadBool("S", "Two", false));
    EXPECT_FALSE(store.ReadBool("S", "Word", false));
    EXPECT_TRUE(store.ReadBool("S", "Word", true));
}

TEST_F(IniStoreTest, LongValuesAndOddBytesReadBackWhole) {
    const std::string longValue(100000, 'x');
    const std::string oddBytes = std::string("a\0b", 3) + "\xff\xfe=;[]\"";
    IniStore store(m_file);
    store.WriteString("S", "Long", longValue);
    store.WriteString("S", "Odd", oddBytes);
    const IniStore reread(m_file);
    EXPECT_EQ(reread.ReadString("S", "Long", {}), longValue);
    EXPECT_EQ(reread.ReadString("S", "Odd", {}), oddBytes);
}

TEST_F(IniStoreTest, LineBreakInAValueIsRefusedAndTheFileIsUnchanged) {
    IniStore store(m_file);
    store.WriteString("S", "K", "v");
    for (const char* bad : {"a\r\n[Injected]\r\nK=x", "a\nb", "a\rb"}) {
        try {
            store.WriteString("S", "K", bad);
            ADD_FAILURE() << "no error for a line break";
        } catch (const StorageError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot write [S] K to " + m_file.string() + ": the text holds a line break");
        }
    }
    EXPECT_EQ(ReadBytes(m_file), "[S]\r\nK=v\r\n");
}

TEST_F(IniStoreTest, UnwritablePathRaisesUnableToWrite) {
    const std::filesystem::path missingFolder = m_folder / "missing" / "store.ini";
    IniStore store(missingFolder);
    try {
        store.WriteString("S", "K", "v");
        FAIL() << "no error";
    } catch (const StorageError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + missingFolder.string());
    }
    // After the failure the store reflects the file again, not the lost write.
    EXPECT_EQ(store.ReadString("S", "K", "none"), "none");

    std::filesystem::create_directory(m_file);  // exists, but is no file
    IniStore onFolder(m_file);
    EXPECT_EQ(onFolder.ReadString("S", "K", "d"), "d");
    EXPECT_THROW(onFolder.WriteString("S", "K", "v"), StorageError);
    EXPECT_TRUE(std::filesystem::is_directory(m_file));
}

TEST_F(IniStoreTest, DeferredWritesReachTheFileOnlyOnFlush) {
    WriteBytes(m_file, "[S]\r\nK=old\r\n");
    IniStore store(m_file, IniStore::WriteMode::Deferred);
    store.EraseSection("S");
    store.WriteString("S", "K", "new");
    EXPECT_EQ(store.ReadString("S", "K", {}), "new");
    EXPECT_EQ(ReadBytes(m_file), "[S]\r\nK=old\r\n");
    store.Revert();
    EXPECT_EQ(store.ReadString("S", "K", {}), "old");
    store.WriteString("S", "K", "newer");
    store.Flush();
    EXPECT_EQ(ReadBytes(m_file), "[S]\r\nK=newer\r\n");
}

TEST_F(IniStoreTest, RewriteKeepsPermissionsLinksAndLeavesNoTemporaryFile) {
    WriteBytes(m_file, "[S]\r\nK=1\r\n");
    std::filesystem::permissions(
        m_file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const std::filesystem::path link = m_folder / "link.ini";
    std::filesystem::create_symlink(m_file, link);

    IniStore(link).WriteString("S", "K", "2");

    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(m_file), "[S]\r\nK=2\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(m_file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder.Path()),
                            std::filesystem::directory_iterator()),
              2);
}

}  // namespace
}  // namespace vorlanex
