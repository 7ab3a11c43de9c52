#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/SchemaModel.h"
#include "model/SharedRecords.h"
#include "storage/IniStore.h"

namespace vorlanex {

inline constexpr std::string_view kSectionDatabaseOptions = "Database Options";
inline constexpr std::string_view kSectionMiscOptions = "Misc Options";
inline constexpr std::string_view kSectionTableInfo = "Table Info";
inline constexpr std::string_view kKeyDSNFrom = "DSNFrom";
inline constexpr std::string_view kKeyDSNTo = "DSNTo";
inline constexpr std::string_view kKeyFileName = "FileName";
inline constexpr std::string_view kKeyDBEngine = "DBEngine";
inline constexpr std::string_view kKeyODBCDestination = "ODBCDestination";
inline constexpr std::string_view kKeyDeleteRecs = "DeleteRecs";
inline constexpr std::string_view kKeyDisplaySystem = "DisplaySystem";
inline constexpr std::string_view kKeyDisplayViews = "DisplayViews";
inline constexpr std::string_view kKeyDisplaySystemViews = "DisplaySystemViews";
inline constexpr std::string_view kKeyDisplaySynonyms = "DisplaySynonyms";
inline constexpr std::string_view kKeyTableCount = "TableCount";
inline constexpr std::string_view kKeyTableName = "TableName";
inline constexpr std::string_view kKeyExport = "Export";
inline constexpr std::string_view kKeyGrayed = "Grayed";
inline constexpr std::string_view kKeyFieldCount = "FieldCount";
inline constexpr std::string_view kKeyFieldName = "FieldName";

inline constexpr std::string_view kNotAnInteger = "'%s' is not a valid integer value";
inline constexpr std::string_view kCountTooLarge =
    "%s=%s in [%s] is more than the template file %s holds";

// Reads and writes one template file: both connection strings, the destination, the options and
// the whole selection of tables and fields. Each write operation reaches the file in one piece:
// when it fails, the file keeps what it held before that operation.
class TZTTemplate {
public:
    // Full path of the template; set before every save or load.
    std::string FilePath;

    void OpenFile();
    void CloseFile() noexcept;
    bool IsOpen() const noexcept { return m_store != nullptr; }

    // The connection strings are written without their password, so the login supplies it.
    void WriteDatabaseOptions(const TConnInfo& connInfo);
    void ReadDatabaseOptions(TConnInfo& connInfo);
    void WriteMiscOptions(const MiscOptions& options);
    void ReadMiscOptions(MiscOptions& options);
    void WriteTables(const TZTDBSchema& schema);
    // Empties the schema and rebuilds it from the file. A flag that is not an integer ends the
    // reading with an error; the tables and fields read until then stay in the schema.
    void ReadTables(TZTDBSchema& schema);

private:
    IniStore& Store() const;
    template <typename Writer>
    void WriteInOnePiece(Writer&& writer);

    std::unique_ptr<IniStore> m_store;
};

// One field as a value of its table's "FieldName" keys: name, the three flags and the
// replacement value, joined by commas.
std::string FieldListValue(const TZTField& field);

// Splits a field list value into its items; quoted items lose their quotes, and a doubled quote
// inside them stands for one.
std::vector<std::string> SplitListItems(std::string_view value);

// The connection string as a template stores it: every "Password=" item removed.
std::string StoredConnectionString(std::string_view connectionString);

}  // namespace vorlanex
