#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/Database.h"
#include "model/NameCompare.h"

namespace vorlanex::testing {

// One row of a query result held in memory, for the text built above the database layer.
struct FakeColumn {
    std::string Name;
    FieldType Type = FieldType::Unknown;
    std::optional<std::string> Text;  // nothing is NULL
    DateTime When{};
    bool Binary = false;
};

class FakeRow : public db::IRow {
public:
    explicit FakeRow(std::vector<FakeColumn> columns) : m_columns(std::move(columns)) {}

    FakeColumn& operator[](int index) { return m_columns.at(static_cast<size_t>(index)); }

    int FieldCount() const override { return static_cast<int>(m_columns.size()); }
    const std::string& FieldName(int index) const override { return at(index).Name; }
    FieldType FieldTypeOf(int index) const override { return at(index).Type; }
    bool IsBinary(int index) const override { return at(index).Binary; }
    bool IsNull(int index) const override { return !at(index).Text.has_value(); }
    // As the ODBC layer: a NULL reads as empty text and is no date.
    std::string_view AsText(int index) const override {
        const FakeColumn& column = at(index);
        return column.Text ? std::string_view(*column.Text) : std::string_view();
    }
    DateTime AsDateTime(int index) const override {
        const FakeColumn& column = at(index);
        if (!column.Text)
            throw db::DatabaseError("The value of field \"" + column.Name + "\" is NULL");
        return column.When;
    }
    std::int64_t AsInteger(int index) const override { return std::stoll(*at(index).Text); }
    bool AsBoolean(int index) const override { return *at(index).Text == "True"; }
    int FieldIndex(std::string_view name) const override {
        for (size_t i = 0; i < m_columns.size(); ++i)
            if (SameName(m_columns[i].Name, name))
                return static_cast<int>(i);
        return -1;
    }

private:
    const FakeColumn& at(int index) const { return m_columns.at(static_cast<size_t>(index)); }
    std::vector<FakeColumn> m_columns;
};

}  // namespace vorlanex::testing
