#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlanex {

// Field types as the field grid shows them, numbered 0 to 37.
enum class FieldType : std::uint8_t {
    Unknown = 0,
    String = 1,
    SmallInt = 2,
    Integer = 3,
    Word = 4,
    Boolean = 5,
    Float = 6,
    Currency = 7,
    BCDBinary = 8,
    Date = 9,
    Time = 10,
    DateTime = 11,
    Bytes = 12,
    VarBytes = 13,
    AutoInc = 14,
    Blob = 15,
    Memo = 16,
    Graphic = 17,
    FmtMemo = 18,
    ParadoxOle = 19,
    DBaseOle = 20,
    TypedBinary = 21,
    Cursor = 22,
    FixedChar = 23,
    WideString = 24,
    LargeInt = 25,
    ADT = 26,
    Array = 27,
    Reference = 28,
    DataSet = 29,
    OraBlob = 30,
    OraClob = 31,
    Variant = 32,
    Interface = 33,
    IDispatch = 34,
    Guid = 35,
    TimeStamp = 36,
    FMTBcd = 37,
};

inline constexpr std::array<std::string_view, 38> FieldTypeNames = {"Unknown",
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

// One table of the catalog's table list.
struct TTableInfo {
    std::string Name;
    std::string TableType;  // upper-cased, a to z only
    int ImageIndex = 0;
};
using TTableInfoArray = std::vector<TTableInfo>;

// One column of one table, as the catalog lists it. DataType is the ADO data type code.
struct TFieldTypeInfo {
    std::string Name;
    std::int32_t DataType = 0;
    bool IsNullable = false;
};
using TFieldTypeInfoArr = std::vector<TFieldTypeInfo>;

using PrimaryKeyList = std::vector<std::string>;

// The field type an ADO data type code maps onto; codes that are not listed give Unknown.
FieldType FieldTypeFromDataType(std::int32_t dataType) noexcept;

std::string_view FieldTypeName(FieldType type) noexcept;
std::string_view DataTypeName(std::int32_t dataType) noexcept;
std::string_view GetFieldTypeName(std::string_view columnName, const TFieldTypeInfoArr& columns);
bool IsFieldNullable(const TFieldTypeInfoArr& columns, std::string_view columnName);
bool IsPrimaryKey(const PrimaryKeyList& primaryKeys, std::string_view columnName);
int FindTableImageIndex(const TTableInfoArray& tables, std::string_view tableName);

}  // namespace vorlanex
