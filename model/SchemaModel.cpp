#include "model/SchemaModel.h"

#include <algorithm>
#include <stdexcept>

#include "model/NameCompare.h"

namespace vorlanex {

namespace {
template <typename T>
auto findOwned(std::vector<std::unique_ptr<T>>& list, const T& item) {
    return std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == &item; });
}
}  // namespace

TZTField& TZTTable::AddField() {
    m_fields.push_back(std::make_unique<TZTField>());
    return *m_fields.back();
}

void TZTTable::DeleteField(TZTField& field) {
    auto it = findOwned(m_fields, field);
    if (it != m_fields.end())
        m_fields.erase(it);
}

TZTField* TZTTable::FindField(std::string_view name) const {
    for (const auto& field : m_fields) {
        if (SameName(field->FieldName, name))
            return field.get();
    }
    return nullptr;
}

TZTField* TZTTable::GetField(int index) const {
    if (index < 0 || index >= FieldCount())
        return nullptr;
    return m_fields[static_cast<size_t>(index)].get();
}

void TZTTable::ClearFields() {
    while (!m_fields.empty())
        DeleteField(*m_fields.back());
}

TZTTable& TZTDBSchema::AddTable() {
    auto table = std::make_unique<TZTTable>();
    table->Position = static_cast<int>(m_tables.size());
    m_tables.push_back(std::move(table));
    return *m_tables.back();
}

void TZTDBSchema::DeleteTable(TZTTable& table) {
    auto it = findOwned(m_tables, table);
    if (it == m_tables.end())
        return;
    table.ClearFields();
    m_tables.erase(it);
}

TZTTable* TZTDBSchema::FindTable(std::string_view name) const {
    for (const auto& table : m_tables) {
        if (SameName(table->TableName, name))
            return table.get();
    }
    return nullptr;
}

TZTTable* TZTDBSchema::GetTable(int index) const {
    if (index < 0 || index >= static_cast<int>(m_tables.size()))
        return nullptr;
    return m_tables[static_cast<size_t>(index)].get();
}

void TZTDBSchema::ClearTables() {
    while (!m_tables.empty())
        DeleteTable(*m_tables.back());
}

int TZTDBSchema::CountTables(std::uint8_t kind) const {
    int count = 0;
    for (const auto& table : m_tables) {
        bool counted = false;
        switch (kind) {
            case kCountAll:
                counted = true;
                break;
            case kCountExport:
                counted = table->Export;
                break;
            case kCountNotGrayed:
                counted = !table->Grayed;
                break;
            case kCountExportNotGrayed:
                counted = table->Export && !table->Grayed;
                break;
            case kCountGrayed:
                counted = table->Grayed;
                break;
            default:
                return 0;
        }
        if (counted)
            ++count;
    }
    return count;
}

void TZTDBSchema::MoveTable(int fromIndex, int toIndex) {
    const int count = static_cast<int>(m_tables.size());
    if (toIndex < 0 || toIndex > count - 1)
        return;
    if (fromIndex < 0 || fromIndex >= count)
        throw std::out_of_range("List index out of bounds");
    if (fromIndex == toIndex)
        return;
    auto moved = std::move(m_tables[static_cast<size_t>(fromIndex)]);
    m_tables.erase(m_tables.begin() + fromIndex);
    m_tables.insert(m_tables.begin() + toIndex, std::move(moved));
    const int low = std::min(fromIndex, toIndex);
    const int high = std::max(fromIndex, toIndex);
    for (int i = low; i <= high; ++i)
        m_tables[static_cast<size_t>(i)]->Position = i;
}

}  // namespace vorlanex
