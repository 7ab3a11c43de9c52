// Real sample databases read through the layer: text bytes, dates and pictures come through whole.
#include <gtest/gtest.h>

#include "DatabaseTestSupport.h"
#include "db/CatalogReader.h"

namespace vorlanex::db::testing {
namespace {

TEST(SampleDatabases, ChinookNonAsciiNamesSurviveByteForByte) {
    const auto file = CopyFixture("chinook/Chinook_Sqlite.sqlite", "chinook");
    auto connection = OpenConnection("Provider=SQLite;Data Source=" + file.string());
    auto query = connection->CreateQuery();
    query->SetSQL("SELECT ArtistId, Name FROM Artist WHERE ArtistId IN (77, 106, 197) ORDER BY 1");
    query->Open();
    std::vector<std::string> names;
    for (; !query->Eof(); query->Next())
        names.emplace_back(query->AsText(1));
    EXPECT_EQ(names, (std::vector<std::string>{"Cássia Eller", "Motörhead", "Aisha Duo"}));
    EXPECT_EQ(query->RecordCount(), 3);

    auto all = connection->CreateQuery();
    all->SetSQL("SELECT * FROM Track");
    all->Open();
    EXPECT_EQ(all->RecordCount(), 3503);
}

TEST(SampleDatabases, NorthwindCatalogAndValues) {
    const auto file = CopyFixture("northwind/northwind.sqlite", "northwind");
    auto connection = OpenConnection("Provider=SQLite;Data Source=" + file.string());

    TTableInfoArray tables;
    MiscOptions options;
    options.DisplayViews = true;
    GetTableInfo(*connection, options, DatabaseEngine::SQLite, tables);
    int views = 0;
    bool orderDetails = false;
    for (const auto& t : tables) {
        views += t.TableType == "VIEW";
        orderDetails = orderDetails || (t.Name == "Order Details" && t.ImageIndex == 0);
    }
    EXPECT_EQ(views, 16);
    EXPECT_TRUE(orderDetails);

    PrimaryKeyList keys;
    GetPrimaryKeys(*connection, "Order Details", keys, nullptr);
    EXPECT_EQ(keys, (PrimaryKeyList{"OrderID", "ProductID"}));

    auto query = connection->CreateQuery();
    query->SetSQL("SELECT EmployeeID, LastName, BirthDate, Photo FROM Employees ORDER BY 1");
    query->Open();
    ASSERT_FALSE(query->Eof());
    EXPECT_EQ(query->AsText(1), "Davolio");
    EXPECT_EQ(query->FieldTypeOf(2), FieldType::Date);
    EXPECT_EQ(query->AsDateTime(2).Year, 1948);
    EXPECT_TRUE(query->IsBinary(3));
    EXPECT_GT(query->AsText(3).size(), 10000u);
}

}  // namespace
}  // namespace vorlanex::db::testing
