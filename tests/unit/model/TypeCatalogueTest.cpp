#include <gtest/gtest.h>

#include <map>

#include "model/TypeCatalogue.h"

namespace vorlanex {
namespace {

TEST(TypeCatalogue, FieldTypeNames) {
    const char* const expected[] = {"Unknown",
                                    "Character/String",
                                    "16-bit Integer",
                                    "32-bit Integer",
                                    "16-bit Unsigned Integer",
                                    "Boolean",
                                    "Float",
                                    "Currency",
                                    "Binary",
                                    "Date",
                                    "Time",
                                    "DateTime",
                                    "Bytes",
                                    "Var Bytes",
                                    "Auto-Incrementing",
                                    "Binary Large Object",
                                    "Memo",
                                    "Bitmap",
                                    "Formatted Memo",
                                    "Paradox OLE",
                                    "dBASE OLE",
                                    "Typed Binary",
                                    "Cursor",
                                    "Character",
                                    "WideString",
                                    "Large Integer",
                                    "Abstract",
                                    "Array",
                                    "Reference",
                                    "DataSet",
                                    "Oracle BLOB",
                                    "Oracle CLOB",
                                    "Variant",
                                    "COM Interface",
                                    "IDispatch",
                                    "GUID",
                                    "TimeStamp",
                                    "Binary-Coded Decimal"};
    static_assert(std::size(expected) == 38);
    ASSERT_EQ(FieldTypeNames.size(), 38u);
    for (int i = 0; i < 38; ++i) {
        EXPECT_EQ(FieldTypeNames[i], expected[i]) << i;
        EXPECT_EQ(FieldTypeName(static_cast<FieldType>(i)), expected[i]) << i;
    }
    EXPECT_EQ(FieldTypeName(static_cast<FieldType>(38)), "Unknown");
    EXPECT_EQ(FieldTypeName(static_cast<FieldType>(255)), "Unknown");
}

TEST(TypeCatalogue, EveryDataTypeCodeMapsAsListed) {
    // The full list of mapped codes; every other code is Unknown.
    const std::map<int, int> mapped = {
        {200, 1},  {2, 2},    {16, 2},   {3, 3},    {10, 3},   {19, 3},   {17, 4},   {18, 4},
        {11, 5},   {4, 6},    {5, 6},    {14, 6},   {131, 6},  {139, 6},  {6, 8},    {133, 9},
        {134, 10}, {7, 11},   {64, 11},  {135, 11}, {137, 11}, {128, 12}, {204, 13}, {205, 15},
        {201, 16}, {203, 16}, {129, 23}, {8, 24},   {130, 24}, {202, 24}, {20, 25},  {21, 25},
        {136, 29}, {12, 32},  {138, 32}, {13, 33},  {9, 34},   {72, 35}};
    for (int code = -300; code <= 1000; ++code) {
        const auto it = mapped.find(code);
        const int expected = it == mapped.end() ? 0 : it->second;
        EXPECT_EQ(static_cast<int>(FieldTypeFromDataType(code)), expected) << "code " << code;
    }
    for (int code : {0x7fffffff, -0x7fffffff - 1, 0x10000 + 200})
        EXPECT_EQ(FieldTypeFromDataType(code), FieldType::Unknown) << code;

    EXPECT_EQ(DataTypeName(6), "Binary");  // currency
    EXPECT_EQ(DataTypeName(131), "Float");
    EXPECT_EQ(DataTypeName(14), "Float");
    EXPECT_EQ(DataTypeName(7), "DateTime");
    EXPECT_EQ(DataTypeName(132), "Unknown");
    EXPECT_EQ(DataTypeName(0), "Unknown");
}

TEST(TypeCatalogue, ColumnLookupsCompareNamesAndTakeTheFirstEntry) {
    // The same column twice, as with one table name in two schemas.
    const TFieldTypeInfoArr columns = {
        {"CustomerID", 3, true}, {"Amount", 6, false}, {"CUSTOMERID", 200, false}};
    EXPECT_EQ(GetFieldTypeName("customerid", columns), "32-bit Integer");
    EXPECT_TRUE(IsFieldNullable(columns, "customerid"));
    EXPECT_EQ(GetFieldTypeName("Amount", columns), "Binary");
    EXPECT_FALSE(IsFieldNullable(columns, "AMOUNT"));
    EXPECT_EQ(GetFieldTypeName("Amount ", columns), "Unknown");
    EXPECT_FALSE(IsFieldNullable(columns, "Missing"));
    EXPECT_EQ(GetFieldTypeName("x", {}), "Unknown");
    EXPECT_EQ(GetFieldTypeName("Odd", {{"Odd", 132, true}}), "Unknown");

    const PrimaryKeyList keys = {"OrderID", "CustomerID"};
    EXPECT_TRUE(IsPrimaryKey(keys, "customerid"));
    EXPECT_FALSE(IsPrimaryKey(keys, "Customer"));
    EXPECT_FALSE(IsPrimaryKey({}, "OrderID"));

    const TTableInfoArray tables = {
        {"Orders", "TABLE", 0}, {"ORDERS", "VIEW", 2}, {"v", "VIEW", 2}};
    EXPECT_EQ(FindTableImageIndex(tables, "V"), 2);
    EXPECT_EQ(FindTableImageIndex(tables, "orders"), 0);
    EXPECT_EQ(FindTableImageIndex({{"Sys", "SYSTEM TABLE", 1}}, "sys"), 1);
    EXPECT_EQ(FindTableImageIndex(tables, "nothing"), 0);
}

}  // namespace
}  // namespace vorlanex
