#include "model/TypeCatalogue.h"

#include "model/NameCompare.h"

namespace vorlanex {

FieldType FieldTypeFromDataType(std::int32_t dataType) noexcept {
    switch (dataType) {
        case 200:
            return FieldType::String;
        case 2:
        case 16:
            return FieldType::SmallInt;
        case 3:
        case 10:
        case 19:
            return FieldType::Integer;
        case 17:
        case 18:
            return FieldType::Word;
        case 11:
            return FieldType::Boolean;
        case 4:
        case 5:
        case 14:
        case 131:
        case 139:
            return FieldType::Float;
        case 6:
            return FieldType::BCDBinary;  // currency shows as "Binary"
        case 133:
            return FieldType::Date;
        case 134:
            return FieldType::Time;
        case 7:
        case 64:
        case 135:
        case 137:
            return FieldType::DateTime;
        case 128:
            return FieldType::Bytes;
        case 204:
            return FieldType::VarBytes;
        case 205:
            return FieldType::Blob;
        case 201:
        case 203:
            return FieldType::Memo;
        case 129:
            return FieldType::FixedChar;
        case 8:
        case 130:
        case 202:
            return FieldType::WideString;
        case 20:
        case 21:
            return FieldType::LargeInt;
        case 136:
            return FieldType::DataSet;
        case 12:
        case 138:
            return FieldType::Variant;
        case 13:
            return FieldType::Interface;
        case 9:
            return FieldType::IDispatch;
        case 72:
            return FieldType::Guid;
        default:
            return FieldType::Unknown;
    }
}

std::string_view FieldTypeName(FieldType type) noexcept {
    const auto index = static_cast<size_t>(type);
    return index < FieldTypeNames.size() ? FieldTypeNames[index] : FieldTypeNames[0];
}

std::string_view DataTypeName(std::int32_t dataType) noexcept {
    return FieldTypeName(FieldTypeFromDataType(dataType));
}

namespace {
const TFieldTypeInfo* findColumn(const TFieldTypeInfoArr& columns, std::string_view name) {
    for (const auto& column : columns) {
        if (SameName(column.Name, name))
            return &column;
    }
    return nullptr;
}
}  // namespace

std::string_view GetFieldTypeName(std::string_view columnName, const TFieldTypeInfoArr& columns) {
    const TFieldTypeInfo* column = findColumn(columns, columnName);
    return column ? DataTypeName(column->DataType) : FieldTypeNames[0];
}

bool IsFieldNullable(const TFieldTypeInfoArr& columns, std::string_view columnName) {
    const TFieldTypeInfo* column = findColumn(columns, columnName);
    return column && column->IsNullable;
}

bool IsPrimaryKey(const PrimaryKeyList& primaryKeys, std::string_view columnName) {
    for (const auto& key : primaryKeys) {
        if (SameName(key, columnName))
            return true;
    }
    return false;
}

int FindTableImageIndex(const TTableInfoArray& tables, std::string_view tableName) {
    for (const auto& table : tables) {
        if (SameName(table.Name, tableName))
            return table.ImageIndex;
    }
    return 0;
}

}  // namespace vorlanex
