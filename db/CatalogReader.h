#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "db/Database.h"
#include "model/DatabaseEngine.h"
#include "model/SchemaModel.h"
#include "model/SharedRecords.h"
#include "model/TypeCatalogue.h"

namespace vorlanex::db {

// Told about an error that a catalog operation handles itself: the routine's name and the
// error's message. The window writes it to the error log and shows it in a message box.
using CatalogErrorReporter =
    std::function<void(const std::string& routine, const std::string& message)>;

// Appends one entry per listed table, in catalog order, leaving out the kinds the options hide.
void GetTableInfo(IConnection& source, const MiscOptions& options, DatabaseEngine sourceEngine,
                  TTableInfoArray& tables);

// Replaces columns by the catalog's columns of that table name, in catalog order.
void GetFieldTypeInfo(IConnection& source, std::string_view tableName, DatabaseEngine sourceEngine,
                      TFieldTypeInfoArr& columns);

// Replaces keys by the table's key column names. Errors are reported, never thrown: a failed
// request leaves keys as they were, a failure while reading leaves the names read so far.
void GetPrimaryKeys(IConnection& source, std::string_view tableName, PrimaryKeyList& keys,
                    const CatalogErrorReporter& report);

// The physical DB2 name of a logical table name, or empty.
std::string GetDB2TableName(std::string_view tableName);

// How LoadTableFields goes about the primary keys.
struct LoadFieldsOptions {
    // Read the key list again (the field grid does, unless the source is Access).
    bool ReadPrimaryKeys = false;
    CatalogErrorReporter ReportError;
};

// Loads a table's fields from the catalog: a table without fields gets one new field per
// distinct column, a table with fields has those that the catalog lists updated; both get
// PrimaryKey and Nullable set. Returns the catalog's columns for the caller to show.
TFieldTypeInfoArr LoadTableFields(IConnection& source, TZTTable& table, const TConnInfo& info,
                                  PrimaryKeyList& primaryKeys,
                                  const LoadFieldsOptions& options = {});

}  // namespace vorlanex::db
