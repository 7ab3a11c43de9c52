// Values on either side of the layer's read buffers arrive whole, row after row.
#include <gtest/gtest.h>

#include <fstream>

#include "DatabaseTestSupport.h"

namespace vorlanex::db::testing {
namespace {

struct LengthDatabase {
    Engine Kind;
    std::string Name;
    std::string BlobType;
    std::string ShortTextType;  // declared short; SQLite keeps longer text in it anyway
    std::string StampType;
    std::string NoteType;
};

const LengthDatabase kDatabases[] = {
    {Engine::SQLite, "SQLite", "BLOB", "VARCHAR(4)", "TIMESTAMP", "TEXT"},
    {Engine::PostgreSQL, "PostgreSQL", "BYTEA", "TEXT", "TIMESTAMP", "TEXT"},
    {Engine::MariaDB, "MariaDB", "LONGBLOB", "MEDIUMTEXT", "DATETIME", "MEDIUMTEXT"},
};

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

class BoundValues : public ::testing::TestWithParam<LengthDatabase> {};

TEST_P(BoundValues, TextAndBytesOfEveryLengthAroundTheBuffersArriveWhole) {
    const LengthDatabase& db = GetParam();
    std::string cs;
    if (db.Kind == Engine::SQLite) {
        const auto file = FreshFolder("bound") / "lengths.sqlite";
        std::ofstream(file).close();
        cs = "Provider=SQLite;Data Source=" + file.string();
    } else {
        cs = ServerConnectionString(db.Kind);
    }
    auto connection = OpenConnection(cs);
    ExecQuietly(*connection, "DROP TABLE vx_lengths");
    Exec(*connection, "CREATE TABLE vx_lengths (id INTEGER, note " + db.NoteType + ", short_note " +
                          db.ShortTextType + ", data " + db.BlobType +
                          ", ratio DOUBLE PRECISION, stamp " + db.StampType + ")");
    const size_t lengths[] = {0,   1,   62,  63,  64,   65,    160,   161,
                              510, 511, 512, 513, 1024, 70000, 200000};
    std::vector<std::string> texts, blobs;
    int id = 0;
    for (size_t length : lengths) {
        std::string text;
        while (text.size() < length)
            text +=
                (text.size() % 7 == 6) ? "\xc3\xa9" : "a";  // two-byte characters across borders
        text.resize(length);
        if (!text.empty() && static_cast<unsigned char>(text.back()) == 0xc3)
            text.back() = 'b';
        std::string blob;
        for (size_t i = 0; i < length; ++i)
            blob += static_cast<char>((i * 37) % 256);
        const std::string blobLiteral = db.Kind == Engine::PostgreSQL
                                            ? "'\\x" + Hex(blob) + "'::bytea"
                                            : "X'" + Hex(blob) + "'";
        ++id;
        Exec(*connection, "INSERT INTO vx_lengths VALUES (" + std::to_string(id) + ", '" + text +
                              "', '" + text + "', " + blobLiteral + ", " + std::to_string(id) +
                              ".25, '2011-03-" + (id < 10 ? "0" : "") + std::to_string(id) +
                              " 14:07:09')");
        texts.push_back(text);
        blobs.push_back(blob);
    }
    Exec(*connection, "INSERT INTO vx_lengths (id) VALUES (99)");

    auto query = connection->CreateQuery();
    query->SetSQL("SELECT id, note, short_note, data, ratio, stamp FROM vx_lengths ORDER BY id");
    query->Open();
    for (size_t row = 0; row < texts.size(); ++row, query->Next()) {
        ASSERT_FALSE(query->Eof()) << row;
        SCOPED_TRACE("length " + std::to_string(texts[row].size()));
        EXPECT_EQ(query->AsInteger(0), static_cast<std::int64_t>(row + 1));
        EXPECT_EQ(query->AsText(1), texts[row]);
        EXPECT_FALSE(query->IsNull(1));
        EXPECT_EQ(query->AsText(2), texts[row]);
        EXPECT_EQ(query->AsText(3), blobs[row]);
        EXPECT_EQ(query->AsText(4), std::to_string(row + 1) + ".25");
        const int day = static_cast<int>(row + 1);
        EXPECT_EQ(query->AsDateTime(5), (DateTime{2011, 3, day, 14, 7, 9, 0}));
        EXPECT_EQ(query->AsText(5), std::string("2011-03-") + (day < 10 ? "0" : "") +
                                        std::to_string(day) + " 14:07:09");
    }
    ASSERT_FALSE(query->Eof());
    for (int i = 1; i < query->FieldCount(); ++i) {
        EXPECT_TRUE(query->IsNull(i)) << i;
        EXPECT_EQ(query->AsText(i), "") << i;
    }
    query->Next();
    EXPECT_TRUE(query->Eof());
    EXPECT_EQ(query->RecordCount(), static_cast<std::int64_t>(texts.size() + 1));
    query->Close();
    ExecQuietly(*connection, "DROP TABLE vx_lengths");
}

INSTANTIATE_TEST_SUITE_P(Databases, BoundValues, ::testing::ValuesIn(kDatabases),
                         [](const auto& info) { return info.param.Name; });

}  // namespace
}  // namespace vorlanex::db::testing
