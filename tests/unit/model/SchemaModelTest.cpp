#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "model/NameCompare.h"
#include "model/SchemaModel.h"

namespace vorlanex {
namespace {

// A schema holding one table per name, in that order.
void addTables(TZTDBSchema& schema, const std::vector<std::string>& names) {
    for (const auto& name : names)
        schema.AddTable().TableName = name;
}

std::string order(const TZTDBSchema& schema) {
    std::string names;
    for (int i = 0; schema.GetTable(i); ++i)
        names += schema.GetTable(i)->TableName;
    return names;
}

void expectPositionsMatchIndexes(const TZTDBSchema& schema) {
    for (int i = 0; schema.GetTable(i); ++i)
        EXPECT_EQ(schema.GetTable(i)->Position, i) << schema.GetTable(i)->TableName;
}

TEST(NameCompare, UpperCasesOnlyAToZ) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"orders", "ORDERS", true},
        {"Order_Lines 2", "ORDER_LINES 2", true},
        {"", "", true},
        {"ORDERS ", "ORDERS", false},  // nothing is trimmed
        {" ORDERS", "ORDERS", false},
        {"`{~", "@[^", false},            // the neighbours of a and z stay as they are
        {"\xc3\xa4", "\xc3\x84", false},  // UTF-8 lower and upper a-umlaut
        {"stra\xc3\x9f"
         "e",
         "STRASSE", false},
        {"ab", "abc", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SameName(c.a, c.b), c.same) << '"' << c.a << "\" vs \"" << c.b << '"';
        EXPECT_EQ(UpperAZ(c.a) == UpperAZ(c.b), c.same) << c.a;
    }
    EXPECT_EQ(UpperAZ("a`z{\xc3\xa4 1"), "A`Z{\xc3\xa4 1");
}

TEST(NameCompare, TrimBlankAndContains) {
    EXPECT_EQ(TrimControl(" \t\r\n x y \x01"), "x y");
    EXPECT_EQ(TrimControl("\xc2\xa0x"), "\xc2\xa0x");  // bytes above 127 are not blanks
    EXPECT_TRUE(IsBlank(" \t\n"));
    EXPECT_TRUE(IsBlank(""));
    EXPECT_FALSE(IsBlank(" . "));
    EXPECT_TRUE(ContainsText("Sybase SQL Anywhere", "SQL"));
    EXPECT_FALSE(ContainsText("Sybase", "sybase"));
    EXPECT_FALSE(ContainsText("anything", ""));
}

TEST(SchemaModel, NewTablesAndFieldsStartWithTheirDefaults) {
    TZTDBSchema schema;
    addTables(schema, {"A", "B", "C"});
    for (int i = 0; i < 3; ++i) {
        const TZTTable* table = schema.GetTable(i);
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->Position, i);
        EXPECT_TRUE(table->Export);
        EXPECT_FALSE(table->Grayed);
        EXPECT_EQ(table->FieldCount(), 0);
    }
    TZTField& field = schema.GetTable(0)->AddField();
    EXPECT_TRUE(field.FieldName.empty());
    EXPECT_TRUE(field.Export);
    EXPECT_FALSE(field.ClearValue);
    EXPECT_TRUE(field.ReplacementValue.empty());
    EXPECT_FALSE(field.PrimaryKey);
    EXPECT_FALSE(field.Nullable);
}

TEST(SchemaModel, LookupsCompareNamesAndReturnTheFirstMatch) {
    TZTDBSchema schema;
    addTables(schema, {"ORDERS", "Orders", "\xc3\x84RGER"});
    EXPECT_EQ(schema.FindTable("orders"), schema.GetTable(0));
    EXPECT_EQ(schema.FindTable("\xc3\xa4rger"), nullptr);
    EXPECT_EQ(schema.FindTable("\xc3\x84rger"), schema.GetTable(2));
    EXPECT_EQ(schema.FindTable("ORDERS "), nullptr);
    EXPECT_EQ(schema.FindTable(""), nullptr);

    TZTTable& table = *schema.GetTable(1);
    for (const char* name : {"CustomerID", "customerid", "Name"})
        table.AddField().FieldName = name;
    EXPECT_EQ(table.FindField("CUSTOMERID"), table.GetField(0));
    EXPECT_EQ(table.FindField("name"), table.GetField(2));
    EXPECT_EQ(table.FindField("Nam"), nullptr);
}

TEST(SchemaModel, IndexesOutsideTheListGiveNone) {
    TZTDBSchema schema;
    EXPECT_EQ(schema.GetTable(0), nullptr);
    addTables(schema, {"A", "B"});
    TZTTable& table = *schema.GetTable(1);
    table.AddField();
    for (int index : {-1, 2, 1000})
        EXPECT_EQ(schema.GetTable(index), nullptr) << index;
    for (int index : {-1, 1})
        EXPECT_EQ(table.GetField(index), nullptr) << index;
    EXPECT_NE(table.GetField(0), nullptr);
}

TEST(SchemaModel, CountTablesByKind) {
    TZTDBSchema schema;
    for (int kind = 0; kind < 256; ++kind)
        EXPECT_EQ(schema.CountTables(kind), 0) << kind;

    struct Flags {
        bool exported;
        bool grayed;
    };
    for (const Flags flags : {Flags{true, false}, Flags{true, true}, Flags{false, false},
                              Flags{false, true}, Flags{true, false}}) {
        TZTTable& table = schema.AddTable();
        table.Export = flags.exported;
        table.Grayed = flags.grayed;
    }
    const int expected[] = {5, 3, 3, 2, 2};
    for (int kind = 0; kind < 5; ++kind)
        EXPECT_EQ(schema.CountTables(kind), expected[kind]) << kind;
    for (int kind : {5, 6, 128, 255})
        EXPECT_EQ(schema.CountTables(kind), 0) << kind;
}

TEST(SchemaModel, MoveTable) {
    struct Case {
        int from;
        int to;
        const char* result;
    };
    const Case cases[] = {
        {2, 0, "CAB"}, {0, 2, "BCA"},  {0, 1, "BAC"}, {1, 1, "ABC"},
        {0, 3, "ABC"}, {0, -1, "ABC"}, {5, 3, "ABC"},  // a target outside the list: no move
    };
    for (const auto& c : cases) {
        TZTDBSchema schema;
        addTables(schema, {"A", "B", "C"});
        schema.MoveTable(c.from, c.to);
        EXPECT_EQ(order(schema), c.result) << c.from << " -> " << c.to;
        expectPositionsMatchIndexes(schema);
    }
}

TEST(SchemaModel, MoveTableTwiceByPosition) {
    TZTDBSchema schema;
    addTables(schema, {"A", "B", "C"});
    schema.MoveTable(2, 0);
    TZTTable* b = schema.FindTable("B");
    ASSERT_EQ(b->Position, 2);
    schema.MoveTable(b->Position, 1);
    EXPECT_EQ(order(schema), "CBA");
    expectPositionsMatchIndexes(schema);
    EXPECT_EQ(schema.GetTable(1), b);  // the object moves, references stay valid
}

TEST(SchemaModel, MoveTableFromOutsideTheListFailsBeforeAnyChange) {
    for (int from : {-1, 3}) {
        TZTDBSchema schema;
        addTables(schema, {"A", "B", "C"});
        EXPECT_THROW(schema.MoveTable(from, 1), std::out_of_range) << from;
        EXPECT_EQ(order(schema), "ABC");
        expectPositionsMatchIndexes(schema);
    }
}

TEST(SchemaModel, DeletingAndClearing) {
    TZTDBSchema schema;
    schema.ClearTables();
    addTables(schema, {"A", "B", "C"});
    TZTTable& c = *schema.GetTable(2);
    for (const char* name : {"x", "y", "z"})
        c.AddField().FieldName = name;

    c.DeleteField(*c.GetField(1));
    ASSERT_EQ(c.FieldCount(), 2);
    EXPECT_EQ(c.GetField(0)->FieldName, "x");
    EXPECT_EQ(c.GetField(1)->FieldName, "z");

    // Positions are left alone: only ClearTables deletes single tables.
    schema.DeleteTable(*schema.GetTable(0));
    EXPECT_EQ(order(schema), "BC");
    EXPECT_EQ(c.Position, 2);
    EXPECT_EQ(c.FieldCount(), 2);

    // A table of another schema is not this schema's to delete.
    TZTDBSchema other;
    TZTTable& foreign = other.AddTable();
    foreign.AddField();
    schema.DeleteTable(foreign);
    EXPECT_EQ(foreign.FieldCount(), 1);
    EXPECT_EQ(order(schema), "BC");

    c.ClearFields();
    EXPECT_EQ(c.FieldCount(), 0);
    schema.ClearTables();
    EXPECT_EQ(schema.CountTables(kCountAll), 0);
    EXPECT_EQ(schema.AddTable().Position, 0);
}

}  // namespace
}  // namespace vorlanex
