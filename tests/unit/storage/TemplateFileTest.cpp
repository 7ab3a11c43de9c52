#include "storage/TemplateFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "StorageTestSupport.h"

namespace vorlanex {
namespace {

using ::testing::ElementsAreArray;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

constexpr std::string_view kExampleFile =
    "[Database Options]\r\n"
    "DSNFrom=Provider=MSDASQL.1;Data Source=SalesDB\r\n"
    "DSNTo=\r\n"
    "FileName=C:\\Exports\\sales.sql\r\n"
    "DBEngine=2\r\n"
    "ODBCDestination=0\r\n"
    "[Misc Options]\r\n"
    "DeleteRecs=0\r\n"
    "DisplaySystem=0\r\n"
    "DisplayViews=1\r\n"
    "DisplaySystemViews=0\r\n"
    "DisplaySynonyms=0\r\n"
    "[Table Info]\r\n"
    "TableCount=2\r\n"
    "TableName1=CUSTOMER\r\n"
    "TableName2=ORDERS\r\n"
    "[TableName1]\r\n"
    "Export=1\r\n"
    "Grayed=0\r\n"
    "FieldCount=3\r\n"
    "FieldName1=CustNo,1,0,1,\r\n"
    "FieldName2=\"Contact Name\",1,0,0,\"n/a\"\r\n"
    "FieldName3=Phone,1,1,0,\r\n"
    "[TableName2]\r\n"
    "Export=0\r\n"
    "Grayed=0\r\n"
    "FieldCount=0\r\n";

// The schema as one line per table and field, so a mismatch shows where it is.
std::string Describe(const TZTDBSchema& schema) {
    std::ostringstream out;
    for (int i = 0; const TZTTable* table = schema.GetTable(i); ++i) {
        out << "table [" << table->TableName << "] export=" << table->Export
            << " grayed=" << table->Grayed << " position=" << table->Position << "\n";
        for (int j = 0; const TZTField* field = table->GetField(j); ++j) {
            out << "  field [" << field->FieldName << "] " << field->Export << field->ClearValue
                << field->PrimaryKey << " [" << field->ReplacementValue << "]\n";
        }
    }
    return out.str();
}

TZTField& AddField(TZTTable& table, std::string name, bool exportFlag, bool clear, bool key,
                   std::string replacement = {}) {
    TZTField& field = table.AddField();
    field.FieldName = std::move(name);
    field.Export = exportFlag;
    field.ClearValue = clear;
    field.PrimaryKey = key;
    field.ReplacementValue = std::move(replacement);
    return field;
}

void BuildExample(TConnInfo& conn, MiscOptions& misc, TZTDBSchema& schema) {
    conn.DSNFrom = "Provider=MSDASQL.1;Data Source=SalesDB";
    conn.DSNTo = "";
    conn.FileName = "C:\\Exports\\sales.sql";
    conn.DBEngine = DatabaseEngine::MSSQLServer;
    conn.ODBCDestination = false;
    misc = MiscOptions{};
    misc.DisplayViews = true;
    TZTTable& customer = schema.AddTable();
    customer.TableName = "CUSTOMER";
    AddField(customer, "CustNo", true, false, true);
    AddField(customer, "Contact Name", true, false, false, "n/a");
    AddField(customer, "Phone", true, true, false);
    TZTTable& orders = schema.AddTable();
    orders.TableName = "ORDERS";
    orders.Export = false;
}

class TemplateFileTest : public ::testing::Test {
protected:
    void Save(const TConnInfo& conn, const MiscOptions& misc, const TZTDBSchema& schema) {
        m_template.FilePath = m_path.string();
        m_template.OpenFile();
        m_template.WriteDatabaseOptions(conn);
        m_template.WriteMiscOptions(misc);
        m_template.WriteTables(schema);
        m_template.CloseFile();
    }
    void Load(TConnInfo& conn, MiscOptions& misc, TZTDBSchema& schema) {
        m_template.FilePath = m_path.string();
        m_template.OpenFile();
        m_template.ReadDatabaseOptions(conn);
        m_template.ReadMiscOptions(misc);
        m_template.ReadTables(schema);
        m_template.CloseFile();
    }
    std::string LoadTables(TZTDBSchema& schema) {
        m_template.FilePath = m_path.string();
        m_template.OpenFile();
        m_template.ReadTables(schema);
        m_template.CloseFile();
        return Describe(schema);
    }

    TempFolder m_folder;
    std::filesystem::path m_path = m_folder / "sales.etf";
    TZTTemplate m_template;
};

TEST_F(TemplateFileTest, WritesTheExampleByteForByte) {
    TConnInfo conn;
    MiscOptions misc;
    TZTDBSchema schema;
    BuildExample(conn, misc, schema);
    Save(conn, misc, schema);
    EXPECT_EQ(ReadBytes(m_path), kExampleFile);
}

TEST_F(TemplateFileTest, ReadsTheExampleIntoTheSchemaItDescribes) {
    WriteBytes(m_path, kExampleFile);
    TConnInfo conn;
    conn.SourceEngine = DatabaseEngine::Oracle;
    MiscOptions misc;
    misc.DeleteRecs = true;
    TZTDBSchema schema;
    schema.AddTable().TableName = "left over";
    Load(conn, misc, schema);

    EXPECT_EQ(conn.DSNFrom, "Provider=MSDASQL.1;Data Source=SalesDB");
    EXPECT_EQ(conn.DSNTo, "");
    EXPECT_EQ(conn.FileName, "C:\\Exports\\sales.sql");
    EXPECT_EQ(conn.DBEngine, DatabaseEngine::MSSQLServer);
    EXPECT_FALSE(conn.ODBCDestination);
    EXPECT_EQ(conn.SourceEngine, DatabaseEngine::Oracle);
    EXPECT_FALSE(misc.DeleteRecs);
    EXPECT_TRUE(misc.DisplayViews);
    EXPECT_FALSE(misc.DisplaySystem || misc.DisplaySystemViews || misc.DisplaySynonyms);

    TConnInfo expectedConn;
    MiscOptions expectedMisc;
    TZTDBSchema expected;
    BuildExample(expectedConn, expectedMisc, expected);
    EXPECT_EQ(Describe(schema), Describe(expected));
}

TEST_F(TemplateFileTest, SelectionWithAwkwardTextsReadsBackTheSame) {
    TConnInfo conn;
    conn.DSNFrom = "Provider=SQLite;Data Source=/data/a b.db";
    conn.DSNTo = "Provider=MSDASQL.1;Data Source=Payroll Live";
    conn.FileName = "/tmp/out file.sql";
    conn.DBEngine = EngineFromValue(kNoEngineSelected);
    conn.ODBCDestination = true;
    MiscOptions misc{true, true, false, true, true};
    TZTDBSchema schema;
    TZTTable& first = schema.AddTable();
    first.TableName = "Order Lines";
    first.Grayed = true;
    AddField(first, "", false, false, false);
    AddField(first, "Say \"hi\"", true, false, false, "\"quoted\" text");
    AddField(first, "a,b", true, false, true, " leading blank");
    AddField(first, "\"lead", false, true, false, "x,y");
    AddField(first, "tab\there", true, false, false, "\xe4\xf6\xfc");
    schema.AddTable().TableName = "EMPTY";
    Save(conn, misc, schema);

    TConnInfo readConn;
    MiscOptions readMisc;
    TZTDBSchema read;
    Load(readConn, readMisc, read);
    EXPECT_EQ(readConn.DSNFrom, conn.DSNFrom);
    EXPECT_EQ(readConn.DSNTo, conn.DSNTo);
    EXPECT_EQ(readConn.FileName, conn.FileName);
    EXPECT_EQ(readConn.DBEngine, conn.DBEngine);
    EXPECT_TRUE(readConn.ODBCDestination);
    EXPECT_TRUE(readMisc.DeleteRecs && readMisc.DisplaySystem && readMisc.DisplaySystemViews &&
                readMisc.DisplaySynonyms);
    EXPECT_FALSE(readMisc.DisplayViews);
    EXPECT_EQ(Describe(read), Describe(schema));
}

struct FieldCase {
    const char* name;
    const char* replacement;
    const char* written;
    const char* readReplacement;
};

TEST(FieldListValueTest, QuotesNamesAndReplacementValuesOnlyWhereNeeded) {
    const FieldCase cases[] = {
        {"CustNo", "", "CustNo,1,0,0,", ""},
        {"Contact Name", "n/a", "\"Contact Name\",1,0,0,\"n/a\"", "n/a"},
        {"A", "   ", "A,1,0,0,   ", ""},
        {"A", " x", "A,1,0,0,\" x\"", " x"},
        {"A", "\t", "A,1,0,0,\t", ""},
        {"A", "\v", "A,1,0,0,\v", ""},
        {"a\"b", "say \"hi\"", "a\"b,1,0,0,\"say \"\"hi\"\"\"", "say \"hi\""},
        {"x,y", "1,2", "\"x,y\",1,0,0,\"1,2\"", "1,2"},
        {"\"q", "", "\"\"\"q\",1,0,0,", ""},
    };
    TempFolder folder;
    TZTDBSchema schema;
    TZTTable& table = schema.AddTable();
    for (const FieldCase& c : cases) {
        const TZTField& field = AddField(table, c.name, true, false, false, c.replacement);
        EXPECT_EQ(FieldListValue(field), c.written) << c.name;
    }
    TZTTemplate file;
    file.FilePath = (folder / "t.etf").string();
    file.OpenFile();
    file.WriteTables(schema);
    TZTDBSchema read;
    file.ReadTables(read);
    ASSERT_EQ(read.GetTable(0)->FieldCount(), static_cast<int>(std::size(cases)));
    for (int i = 0; const FieldCase& c : cases) {
        const TZTField& field = *read.GetTable(0)->GetField(i++);
        EXPECT_EQ(field.FieldName, c.name);
        EXPECT_EQ(field.ReplacementValue, c.readReplacement) << c.name;
    }
}

struct SplitCase {
    std::string value;
    std::vector<std::string> items;
};

TEST(SplitListItemsTest, FollowsTheListRule) {
    const SplitCase cases[] = {
        {"CustNo,1,0,1,", {"CustNo", "1", "0", "1", ""}},
        {"\"Contact Name\",1,0,0,\"n/a\"", {"Contact Name", "1", "0", "0", "n/a"}},
        {"Contact Name,1,0,0,", {"Contact", "Name", "1", "0", "0", ""}},
        {"A,1,0,0", {"A", "1", "0", "0"}},
        {"A,1,0,0,x,y", {"A", "1", "0", "0", "x", "y"}},
        {"", {}},
        {"   ", {}},
        {",", {"", ""}},
        {",,", {"", "", ""}},
        {"  a , b ,", {"a", "b", ""}},
        {"a , ", {"a"}},
        {"\"x\"\"y\",z", {"x\"y", "z"}},
        {"\"open, never closed", {"open, never closed"}},
        {"\"a\"b,c", {"a", "b", "c"}},
        {"a\"b\",c", {"a\"b\"", "c"}},
        {"a\tb", {"a", "b"}},
        {std::string("a\0,b", 4), {"a"}},
        {"\x01\x02x", {"x"}},
        {"\xff\xfe,\x80", {"\xff\xfe", "\x80"}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_THAT(SplitListItems(c.value), ElementsAreArray(c.items)) << "value: " << c.value;
    }
}

TEST_F(TemplateFileTest, FieldValuesAreReadByTheFieldRules) {
    WriteBytes(m_path,
               "[Table Info]\r\nTableCount=1\r\nTableName1=T\r\n"
               "[TableName1]\r\nExport=1\r\nGrayed=1\r\nFieldCount=6\r\n"
               "FieldName1=Short,1,0,0\r\n"
               "FieldName2=Six,1,0,0,x,y\r\n"
               "FieldName3=Bits,2,256,0x1,\r\n"
               "FieldName5=  C , 0 , 1 , 0 ,   \r\n"
               "FieldName6=NoReplace,1,0,0,\"   \"\r\n");
    TZTDBSchema schema;
    EXPECT_EQ(LoadTables(schema),
              "table [T] export=1 grayed=1 position=0\n"
              "  field [Six] 100 [x]\n"
              "  field [Bits] 101 []\n"
              "  field [C] 010 []\n"
              "  field [NoReplace] 100 []\n");
}

TEST_F(TemplateFileTest, FlagThatIsNoIntegerEndsTheReadingAndKeepsWhatWasRead) {
    WriteBytes(m_path,
               "[Table Info]\r\nTableCount=3\r\nTableName1=FIRST\r\nTableName2=SECOND\r\n"
               "TableName3=THIRD\r\n"
               "[TableName1]\r\nExport=1\r\nFieldCount=1\r\nFieldName1=A,1,0,0,\r\n"
               "[TableName2]\r\nExport=1\r\nFieldCount=2\r\nFieldName1=B,1,0,0,\r\n"
               "FieldName2=C,yes,0,0,\r\n"
               "[TableName3]\r\nExport=1\r\n");
    TZTDBSchema schema;
    m_template.FilePath = m_path.string();
    m_template.OpenFile();
    try {
        m_template.ReadTables(schema);
        FAIL() << "no error";
    } catch (const StorageError& e) {
        EXPECT_STREQ(e.what(), "'yes' is not a valid integer value");
    }
    EXPECT_EQ(Describe(schema),
              "table [FIRST] export=1 grayed=0 position=0\n"
              "  field [A] 100 []\n"
              "table [SECOND] export=1 grayed=0 position=1\n"
              "  field [B] 100 []\n");
}

TEST_F(TemplateFileTest, MissingFileSectionsAndKeysGiveTheDefaults) {
    TConnInfo conn;
    conn.DSNFrom = "stale";
    conn.DBEngine = DatabaseEngine::Access;
    conn.ODBCDestination = false;
    MiscOptions misc{true, true, true, true, true};
    TZTDBSchema schema;
    schema.AddTable();
    Load(conn, misc, schema);  // no file at all
    EXPECT_EQ(conn.DSNFrom, "");
    EXPECT_EQ(conn.DBEngine, DatabaseEngine::SybaseSQLAnywhere);
    EXPECT_TRUE(conn.ODBCDestination);
    EXPECT_FALSE(misc.DeleteRecs || misc.DisplaySystem || misc.DisplayViews ||
                 misc.DisplaySystemViews || misc.DisplaySynonyms);
    EXPECT_EQ(schema.CountTables(kCountAll), 0);

    WriteBytes(m_path,
               "[Database Options]\r\nDSNFrom=x\r\n"
               "[Table Info]\r\nTableCount=2\r\nTableName1=ONE\r\n");
    conn.DBEngine = DatabaseEngine::Access;
    conn.ODBCDestination = false;
    Load(conn, misc, schema);
    EXPECT_EQ(conn.DBEngine, DatabaseEngine::SybaseSQLAnywhere);
    EXPECT_TRUE(conn.ODBCDestination);
    EXPECT_EQ(Describe(schema),
              "table [ONE] export=0 grayed=0 position=0\n"
              "table [] export=0 grayed=0 position=1\n");
}

TEST_F(TemplateFileTest, EngineKeepsTheLowEightBits) {
    const std::pair<const char*, int> cases[] = {
        {"300", 44}, {"-1", 255}, {"0x3", 3}, {"five", 4}, {"5", 5}};
    for (const auto& [text, engine] : cases) {
        WriteBytes(m_path, std::string("[Database Options]\r\nDBEngine=") + text + "\r\n");
        TConnInfo conn;
        m_template.FilePath = m_path.string();
        m_template.OpenFile();
        m_template.ReadDatabaseOptions(conn);
        m_template.CloseFile();
        EXPECT_EQ(EngineValue(conn.DBEngine), engine) << text;
    }
}

TEST_F(TemplateFileTest, EmptySchemaWritesACountOfZeroAndReadsEmpty) {
    TZTDBSchema empty;
    m_template.FilePath = m_path.string();
    m_template.OpenFile();
    m_template.WriteTables(empty);
    EXPECT_EQ(ReadBytes(m_path), "[Table Info]\r\nTableCount=0\r\n");
    TZTDBSchema schema;
    schema.AddTable();
    m_template.ReadTables(schema);
    EXPECT_EQ(schema.CountTables(kCountAll), 0);
}

TEST_F(TemplateFileTest, SavingFewerTablesKeepsTheOldSectionsButReadsTheNewCount) {
    TConnInfo conn;
    MiscOptions misc;
    TZTDBSchema seven;
    for (int i = 1; i <= 7; ++i) {
        TZTTable& table = seven.AddTable();
        table.TableName = "OLD" + std::to_string(i);
        AddField(table, "F1", true, false, false);
        AddField(table, "F2", true, false, false);
    }
    Save(conn, misc, seven);
    TZTDBSchema five;
    for (int i = 1; i <= 5; ++i) {
        TZTTable& table = five.AddTable();
        table.TableName = "NEW" + std::to_string(i);
        AddField(table, "G1", false, true, false);
    }
    Save(conn, misc, five);

    const std::string bytes = ReadBytes(m_path);
    EXPECT_NE(bytes.find("[TableName6]\r\nExport=1\r\nGrayed=0\r\nFieldCount=2\r\n"), bytes.npos);
    EXPECT_NE(bytes.find("[TableName7]"), bytes.npos);
    EXPECT_EQ(bytes.find("TableName6="), bytes.npos);
    // The shorter table's section lost the field keys of its longer predecessor.
    EXPECT_NE(bytes.find("[TableName1]\r\nExport=1\r\nGrayed=0\r\nFieldCount=1\r\n"
                         "FieldName1=G1,0,1,0,\r\n["),
              bytes.npos);
    TZTDBSchema read;
    EXPECT_EQ(LoadTables(read), Describe(five));
}

TEST_F(TemplateFileTest, ConnectionStringsAreWrittenWithoutPasswords) {
    TConnInfo conn;
    conn.DSNFrom = "Provider=MSDASQL.1;Password=secret;User ID=u1;Data Source=Payroll";
    conn.DSNTo = "Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=db;Password=p2";
    m_template.FilePath = m_path.string();
    m_template.OpenFile();
    m_template.WriteDatabaseOptions(conn);
    m_template.CloseFile();
    const std::string bytes = ReadBytes(m_path);
    EXPECT_NE(bytes.find("DSNFrom=Provider=MSDASQL.1;User ID=u1;Data Source=Payroll\r\n"),
              bytes.npos);
    EXPECT_NE(bytes.find("DSNTo=Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=db\r\n"),
              bytes.npos);
    EXPECT_EQ(bytes.find("secret"), bytes.npos);
    EXPECT_EQ(StoredConnectionString("Password=a;Jet OLEDB:Database Password=b;Data Source=x"),
              "Data Source=x");
    // A password inside the quoted ODBC string goes, the quotes and the rest stay.
    EXPECT_EQ(StoredConnectionString(
                  "Provider=MSDASQL.1;Extended Properties=\"Password=a;DSN=x\";User ID=u"),
              "Provider=MSDASQL.1;Extended Properties=\"DSN=x\";User ID=u");

    // Files written with passwords still open with them.
    WriteBytes(m_path, "[Database Options]\r\nDSNFrom=Data Source=x;Password=old\r\n");
    TConnInfo read;
    m_template.OpenFile();
    m_template.ReadDatabaseOptions(read);
    EXPECT_EQ(read.DSNFrom, "Data Source=x;Password=old");
}

TEST_F(TemplateFileTest, FailedWriteLeavesTheFileAsItWas) {
    WriteBytes(m_path, kExampleFile);
    TZTDBSchema schema;
    schema.AddTable().TableName = "fine";
    schema.AddTable().TableName = "bad\nname";
    m_template.FilePath = m_path.string();
    m_template.OpenFile();
    EXPECT_THROW(m_template.WriteTables(schema), StorageError);
    EXPECT_EQ(ReadBytes(m_path), kExampleFile);

    const std::filesystem::path missing = m_folder / "no folder" / "t.etf";
    m_template.FilePath = missing.string();
    m_template.OpenFile();
    try {
        m_template.WriteMiscOptions(MiscOptions{});
        FAIL() << "no error";
    } catch (const StorageError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + missing.string());
    }
}

TEST_F(TemplateFileTest, CountsBeyondTheStoredKeysReadAsDefaults) {
    WriteBytes(m_path, "[Table Info]\r\nTableCount=3\r\n[TableName2]\r\nFieldCount=2\r\n");
    TZTDBSchema schema;
    m_template.FilePath = m_path.string();
    m_template.OpenFile();
    m_template.ReadTables(schema);
    ASSERT_EQ(schema.CountTables(kCountAll), 3);
    EXPECT_EQ(schema.GetTable(2)->TableName, "");
    EXPECT_FALSE(schema.GetTable(2)->Export);
    EXPECT_EQ(schema.GetTable(1)->FieldCount(), 0);  // empty field values are skipped
}

TEST_F(TemplateFileTest, DamagedCountsAreReportedInsteadOfRead) {
    WriteBytes(m_path, "[Table Info]\r\nTableCount=2000000000\r\nTableName1=A\r\n");
    TZTDBSchema schema;
    m_template.FilePath = m_path.string();
    m_template.OpenFile();
    try {
        m_template.ReadTables(schema);
        FAIL() << "no error";
    } catch (const StorageError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "TableCount=2000000000 in [Table Info] is more than "
                  "the template file " +
                      m_path.string() + " holds");
    }
    WriteBytes(m_path,
               "[Table Info]\r\nTableCount=1\r\nTableName1=A\r\n"
               "[TableName1]\r\nFieldCount=0x7FFFFFFF\r\n");
    m_template.OpenFile();
    EXPECT_THROW(m_template.ReadTables(schema), StorageError);
    EXPECT_EQ(schema.CountTables(kCountAll), 1);
}

TEST(TemplateFileStateTest, OperationsNeedAnOpenFile) {
    TZTTemplate file;
    TConnInfo conn;
    EXPECT_FALSE(file.IsOpen());
    EXPECT_THROW(file.ReadDatabaseOptions(conn), std::logic_error);
    file.OpenFile();
    EXPECT_TRUE(file.IsOpen());
    file.CloseFile();
    EXPECT_THROW(file.WriteDatabaseOptions(conn), std::logic_error);
}

}  // namespace
}  // namespace vorlanex
