#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorlanex {

// One column of a source table with the user's export settings.
class TZTField {
public:
    std::string FieldName;
    bool Export = true;
    bool ClearValue = false;
    std::string ReplacementValue;
    bool PrimaryKey = false;
    bool Nullable = false;
};

// One source table. The table owns its fields; references stay valid until the field is deleted.
class TZTTable {
public:
    TZTTable() = default;
    TZTTable(const TZTTable&) = delete;
    TZTTable& operator=(const TZTTable&) = delete;

    std::string TableName;
    bool Export = true;
    bool Grayed = false;
    int Position = 0;

    TZTField& AddField();
    void DeleteField(TZTField& field);
    TZTField* FindField(std::string_view name) const;
    TZTField* GetField(int index) const;
    void ClearFields();
    int FieldCount() const noexcept { return static_cast<int>(m_fields.size()); }

private:
    std::vector<std::unique_ptr<TZTField>> m_fields;
};

// Which tables CountTables counts.
enum CountKind : std::uint8_t {
    kCountAll = 0,
    kCountExport = 1,
    kCountNotGrayed = 2,
    kCountExportNotGrayed = 3,
    kCountGrayed = 4,
};

// The ordered selection of tables to copy. The order is the export order.
class TZTDBSchema {
public:
    TZTDBSchema() = default;
    TZTDBSchema(const TZTDBSchema&) = delete;
    TZTDBSchema& operator=(const TZTDBSchema&) = delete;

    TZTTable& AddTable();
    void DeleteTable(TZTTable& table);
    TZTTable* FindTable(std::string_view name) const;
    TZTTable* GetTable(int index) const;
    void ClearTables();
    int CountTables(std::uint8_t kind) const;
    // Throws std::out_of_range for a fromIndex outside the list, before anything changes.
    void MoveTable(int fromIndex, int toIndex);

private:
    std::vector<std::unique_ptr<TZTTable>> m_tables;
};

}  // namespace vorlanex
