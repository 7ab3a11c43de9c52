#include "storage/TemplateFile.h"

#include <cstdint>
#include <stdexcept>

#include "db/ConnectionString.h"
#include "model/NameCompare.h"

namespace vorlanex {

namespace {

constexpr std::string_view kPasswordKey = "Password=";

bool IsSkipped(char c) noexcept {
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

std::string Quoted(std::string_view text) {
    std::string result = "\"";
    for (char c : text) {
        // The reader takes a doubled quote inside quotes for one.
        if (c == '"')
            result += '"';
        result += c;
    }
    result += '"';
    return result;
}

// A name is quoted when the reader would otherwise cut it short: at a blank or control
// character, at a comma, or at a leading quote it would take for an opening one.
bool NameNeedsQuotes(std::string_view name) noexcept {
    if (!name.empty() && name.front() == '"')
        return true;
    for (char c : name) {
        if (static_cast<unsigned char>(c) <= 32 || c == ',')
            return true;
    }
    return false;
}

// A flag item: 0 clears the flag; of any other integer the low 8 bits decide.
bool FlagItem(const std::string& item) {
    int value = 0;
    if (!ParseIniInteger(item, value)) {
        throw StorageError(FormatStorageMessage(kNotAnInteger, {item}));
    }
    return (static_cast<unsigned>(value) & 0xFFu) != 0;
}

std::string Numbered(std::string_view key, int number) {
    return std::string(key) + std::to_string(number);
}

}  // namespace

std::string FieldListValue(const TZTField& field) {
    std::string value =
        NameNeedsQuotes(field.FieldName) ? Quoted(field.FieldName) : field.FieldName;
    for (bool flag : {field.Export, field.ClearValue, field.PrimaryKey}) {
        value += flag ? ",1" : ",0";
    }
    value += ',';
    value +=
        IsBlank(field.ReplacementValue) ? field.ReplacementValue : Quoted(field.ReplacementValue);
    return value;
}

std::vector<std::string> SplitListItems(std::string_view value) {
    // A NUL ends the value, as it would in any C string holding it.
    value = value.substr(0, value.find('\0'));
    std::vector<std::string> items;
    std::size_t pos = 0;
    const std::size_t end = value.size();
    while (pos < end && IsSkipped(value[pos]))
        ++pos;
    while (pos < end) {
        std::string item;
        if (value[pos] == '"') {
            ++pos;
            while (pos < end) {
                if (value[pos] == '"') {
                    if (pos + 1 < end && value[pos + 1] == '"') {
                        item += '"';
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                item += value[pos++];
            }
        } else {
            const std::size_t start = pos;
            while (pos<end&& static_cast<unsigned char>(value[pos])> 32 && value[pos] != ',') {
                ++pos;
            }
            item.assign(value.substr(start, pos - start));
        }
        items.push_back(std::move(item));
        while (pos < end && IsSkipped(value[pos]))
            ++pos;
        if (pos < end && value[pos] == ',') {
            if (pos + 1 == end)
                items.emplace_back();
            ++pos;
            while (pos < end && IsSkipped(value[pos]))
                ++pos;
        }
    }
    return items;
}

std::string StoredConnectionString(std::string_view connectionString) {
    std::string result(connectionString);
    while (result.find(kPasswordKey) != std::string::npos)
        result = RemovePassword(result);
    return result;
}

void TZTTemplate::OpenFile() {
    m_store = std::make_unique<IniStore>(FilePath, IniStore::WriteMode::Deferred);
}

void TZTTemplate::CloseFile() noexcept {
    m_store.reset();
}

IniStore& TZTTemplate::Store() const {
    if (!m_store)
        throw std::logic_error("The template file is not open");
    return *m_store;
}

template <typename Writer>
void TZTTemplate::WriteInOnePiece(Writer&& writer) {
    IniStore& store = Store();
    try {
        writer(store);
        store.Flush();
    } catch (...) {
        store.Revert();
        throw;
    }
}

void TZTTemplate::WriteDatabaseOptions(const TConnInfo& connInfo) {
    WriteInOnePiece([&connInfo](IniStore& store) {
        store.EraseSection(kSectionDatabaseOptions);
        store.WriteString(kSectionDatabaseOptions, kKeyDSNFrom,
                          StoredConnectionString(connInfo.DSNFrom));
        store.WriteString(kSectionDatabaseOptions, kKeyDSNTo,
                          StoredConnectionString(connInfo.DSNTo));
        store.WriteString(kSectionDatabaseOptions, kKeyFileName, connInfo.FileName);
        store.WriteInteger(kSectionDatabaseOptions, kKeyDBEngine, EngineValue(connInfo.DBEngine));
        store.WriteBool(kSectionDatabaseOptions, kKeyODBCDestination, connInfo.ODBCDestination);
    });
}

void TZTTemplate::ReadDatabaseOptions(TConnInfo& connInfo) {
    const IniStore& store = Store();
    connInfo.DSNFrom = store.ReadString(kSectionDatabaseOptions, kKeyDSNFrom, {});
    connInfo.DSNTo = store.ReadString(kSectionDatabaseOptions, kKeyDSNTo, {});
    connInfo.FileName = store.ReadString(kSectionDatabaseOptions, kKeyFileName, {});
    const int engine =
        store.ReadInteger(kSectionDatabaseOptions, kKeyDBEngine, EngineValue(kDefaultEngine));
    connInfo.DBEngine = EngineFromValue(static_cast<std::uint8_t>(engine & 0xFF));
    connInfo.ODBCDestination = store.ReadBool(kSectionDatabaseOptions, kKeyODBCDestination, true);
}

void TZTTemplate::WriteMiscOptions(const MiscOptions& options) {
    WriteInOnePiece([&options](IniStore& store) {
        store.EraseSection(kSectionMiscOptions);
        store.WriteBool(kSectionMiscOptions, kKeyDeleteRecs, options.DeleteRecs);
        store.WriteBool(kSectionMiscOptions, kKeyDisplaySystem, options.DisplaySystem);
        store.WriteBool(kSectionMiscOptions, kKeyDisplayViews, options.DisplayViews);
        store.WriteBool(kSectionMiscOptions, kKeyDisplaySystemViews, options.DisplaySystemViews);
        store.WriteBool(kSectionMiscOptions, kKeyDisplaySynonyms, options.DisplaySynonyms);
    });
}

void TZTTemplate::ReadMiscOptions(MiscOptions& options) {
    const IniStore& store = Store();
    options.DeleteRecs = store.ReadBool(kSectionMiscOptions, kKeyDeleteRecs, false);
    options.DisplaySystem = store.ReadBool(kSectionMiscOptions, kKeyDisplaySystem, false);
    options.DisplayViews = store.ReadBool(kSectionMiscOptions, kKeyDisplayViews, false);
    options.DisplaySystemViews = store.ReadBool(kSectionMiscOptions, kKeyDisplaySystemViews, false);
    options.DisplaySynonyms = store.ReadBool(kSectionMiscOptions, kKeyDisplaySynonyms, false);
}

void TZTTemplate::WriteTables(const TZTDBSchema& schema) {
    WriteInOnePiece([&schema](IniStore& store) {
        store.EraseSection(kSectionTableInfo);
        const int count = schema.CountTables(kCountAll);
        store.WriteInteger(kSectionTableInfo, kKeyTableCount, count);
        for (int i = 1; i <= count; ++i) {
            const TZTTable& table = *schema.GetTable(i - 1);
            // Named after the table's number, not the table; erasing it first drops the field
            // keys of an earlier, longer version of the table.
            const std::string section = Numbered(kKeyTableName, i);
            store.EraseSection(section);
            store.WriteString(kSectionTableInfo, section, table.TableName);
            store.WriteBool(section, kKeyExport, table.Export);
            store.WriteBool(section, kKeyGrayed, table.Grayed);
            store.WriteInteger(section, kKeyFieldCount, table.FieldCount());
            for (int j = 1; j <= table.FieldCount(); ++j) {
                store.WriteString(section, Numbered(kKeyFieldName, j),
                                  FieldListValue(*table.GetField(j - 1)));
            }
        }
    });
}

void TZTTemplate::ReadTables(TZTDBSchema& schema) {
    schema.ClearTables();
    const IniStore& store = Store();
    // Missing keys read as defaults, so a count may pass the keys the file holds, but not by
    // far: a damaged count would otherwise have the reading run for hours or exhaust the memory.
    constexpr std::size_t kMissingKeysAllowed = 65536;
    std::size_t keyCount = 0;
    const auto checkCount = [&](int count, std::string_view key, std::string_view section) {
        if (keyCount == 0)
            keyCount = store.KeyCount();
        if (static_cast<std::size_t>(count) > keyCount + kMissingKeysAllowed) {
            throw StorageError(FormatStorageMessage(
                kCountTooLarge, {key, std::to_string(count), section, FilePath}));
        }
    };

    const int tableCount = store.ReadInteger(kSectionTableInfo, kKeyTableCount, 0);
    if (tableCount < 1)
        return;
    checkCount(tableCount, kKeyTableCount, kSectionTableInfo);
    for (int i = 1; i <= tableCount; ++i) {
        TZTTable& table = schema.AddTable();
        const std::string section = Numbered(kKeyTableName, i);
        table.TableName = store.ReadString(kSectionTableInfo, section, {});
        table.Export = store.ReadBool(section, kKeyExport, false);
        table.Grayed = store.ReadBool(section, kKeyGrayed, false);
        const int fieldCount = store.ReadInteger(section, kKeyFieldCount, 0);
        if (fieldCount > 0)
            checkCount(fieldCount, kKeyFieldCount, section);
        for (int j = 1; j <= fieldCount; ++j) {
            const std::vector<std::string> items =
                SplitListItems(store.ReadString(section, Numbered(kKeyFieldName, j), {}));
            if (items.size() < 5)
                continue;
            // Converted before the field is added, so a bad flag leaves no half-read field.
            const bool exportFlag = FlagItem(items[1]);
            const bool clearValue = FlagItem(items[2]);
            const bool primaryKey = FlagItem(items[3]);
            TZTField& field = table.AddField();
            field.FieldName = items[0];
            field.Export = exportFlag;
            field.ClearValue = clearValue;
            field.PrimaryKey = primaryKey;
            if (!IsBlank(items[4]))
                field.ReplacementValue = items[4];
        }
    }
}

}  // namespace vorlanex
