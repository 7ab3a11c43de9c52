// Feeds arbitrary bytes to the INI reader and the template reader, and checks that what the store
// writes reads back.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "model/NameCompare.h"
#include "model/SchemaModel.h"
#include "model/SharedRecords.h"
#include "storage/IniStore.h"
#include "storage/TemplateFile.h"

namespace {

const std::filesystem::path& WorkFile() {
    static const std::filesystem::path path = [] {
        std::error_code ec;
        std::filesystem::path folder = "/dev/shm";
        if (!std::filesystem::is_directory(folder, ec))
            folder = std::filesystem::temp_directory_path();
        return folder / ("vorlanex-fuzz-" + std::to_string(::getpid()) + ".ini");
    }();
    return path;
}

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Names the program could write: the store trims names when it reads them.
bool IsPlainName(const std::string& name, bool isKey) {
    if (name.find_first_of("\r\n") != std::string::npos)
        return false;
    if (vorlanex::TrimControl(name).size() != name.size())
        return false;
    if (isKey)
        return name.find('=') == std::string::npos &&
               (name.empty() || (name[0] != ';' && name[0] != '['));
    return name.find(']') == std::string::npos;
}

void ReadEverything(const std::string& section, const std::string& key) {
    const vorlanex::IniStore store(WorkFile());
    (void)store.ReadString(section, key, "default");
    (void)store.ReadInteger(section, key, -1);
    (void)store.ReadBool(section, key, true);
    (void)store.KeyCount();
    for (const std::string& line : store.ReadSectionValues(section)) {
        (void)vorlanex::SplitListItems(line);
    }

    vorlanex::TZTTemplate file;
    file.FilePath = WorkFile().string();
    file.OpenFile();
    vorlanex::TConnInfo conn;
    vorlanex::MiscOptions misc;
    vorlanex::TZTDBSchema schema;
    file.ReadDatabaseOptions(conn);
    file.ReadMiscOptions(misc);
    try {
        file.ReadTables(schema);
    } catch (const vorlanex::StorageError&) {
        // A flag that is not an integer, or a damaged count: reported, not a fault.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The whole input is the file; the names and the value to write are drawn from it as well.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(32);
    const std::string key = input.ConsumeRandomLengthString(32);
    const std::string value = input.ConsumeRandomLengthString(256);
    {
        std::ofstream out(WorkFile(), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    ReadEverything(section, key);
    ReadEverything("Table Info", "TableCount");

    if (IsPlainName(section, false) && IsPlainName(key, true) &&
        value.find_first_of("\r\n") == std::string::npos) {
        {
            vorlanex::IniStore store(WorkFile(), vorlanex::IniStore::WriteMode::Deferred);
            store.WriteString(section, key, value);
            store.Flush();
        }
        const vorlanex::IniStore reread(WorkFile());
        Check(reread.ReadString(section, key, "missing") == vorlanex::TrimControl(value));
    }

    // A field's list value splits back into the field, whatever its name and replacement hold.
    if (value.find_first_of(std::string("\r\n\0", 3)) == std::string::npos &&
        key.find('\0') == std::string::npos) {
        vorlanex::TZTField field;
        field.FieldName = key;
        field.ReplacementValue = value;
        const auto items =
            vorlanex::SplitListItems(vorlanex::TrimControl(vorlanex::FieldListValue(field)));
        Check(items.size() == 5);
        Check(items[0] == key);
        Check(items[4] == (vorlanex::IsBlank(value) ? std::string() : value));
    }
    return 0;
}
