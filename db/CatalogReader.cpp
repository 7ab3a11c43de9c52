#include "db/CatalogReader.h"

#include <array>
#include <exception>
#include <utility>

#include "db/ConnectionString.h"
#include "model/NameCompare.h"

namespace vorlanex::db {

namespace {

constexpr std::string_view kSystemTable = "SYSTEM TABLE";
constexpr std::string_view kView = "VIEW";
constexpr std::string_view kSystemView = "SYSTEM VIEW";
constexpr std::string_view kSynonym = "SYNONYM";
constexpr std::string_view kGetPrimaryKeys = "GetPrimaryKeys";

using NamePair = std::pair<std::string_view, std::string_view>;

// Logical table name to DB2 table name, in the four groups searched in this order.
constexpr std::array<NamePair, 84> kDB2TableNames = {{
    // group 1
    {"employer", "TBL036"},
    {"planinfo", "TBL057"},
    {"employee", "TBL035"},
    {"employeemsg", "TBL140"},
    {"ee_notes", "TBL143"},
    {"famem", "TBL040"},
    {"addition", "TBL001"},
    {"buyback", "TBL008"},
    {"dependen", "TBL031"},
    {"extra", "TBL039"},
    {"inactivewith", "TBL044"},
    {"payroll", "TBL054"},
    {"service", "TBL062"},
    {"contributions", "TBL028"},
    {"event", "TBL037"},
    {"amisc", "TBL004"},
    {"miscstring", "TBL046"},
    {"inactive", "TBL043"},
    {"cashbalance", "TBL027"},
    // group 2
    {"calcdata", "TBL014"},
    {"calcaddtion", "TBL009"},
    {"calcamisc", "TBL010"},
    {"calccashbalance", "TBL011"},
    {"calccontribout", "TBL012"},
    {"calccontributions", "TBL013"},
    {"calcdepn", "TBL015"},
    {"calcinactivewith", "TBL016"},
    {"calclateret", "TBL139"},
    {"calcmiscstring", "TBL017"},
    {"calcmpay", "TBL018"},
    {"calcnfbenefit", "TBL019"},
    {"calcpayr", "TBL021"},
    {"calcpayrollresults", "TBL022"},
    {"calcpiasal", "TBL023"},
    {"calcretropayment", "TBL124"},
    {"calcserv", "TBL024"},
    {"calcserviceresults", "TBL025"},
    {"calcfaepay", "TBL038"},
    {"outform", "TBL049"},
    {"defretirement", "TBL030"},
    // group 3
    {"adt_addtion", "TBL177"},
    {"adt_amisc", "TBL178"},
    {"adt_cashbalance", "TBL179"},
    {"adt_contributions", "TBL180"},
    {"adt_dependen", "TBL181"},
    {"adt_employee", "TBL182"},
    {"adt_employer", "TBL183"},
    {"adt_event", "TBL184"},
    {"adt_extra", "TBL185"},
    {"adt_inactive", "TBL186"},
    {"adt_miscstring", "TBL187"},
    {"adt_paymentdest", "TBL188"},
    {"adt_payroll", "TBL189"},
    {"adt_service", "TBL190"},
    // group 4
    {"employer", "TBL036"},
    {"planinfo", "TBL057"},
    {"address", "TBL148"},
    {"benefitdeduct", "TBL149"},
    {"benefitmatch", "TBL150"},
    {"deductionhistory", "TBL152"},
    {"escheat", "TBL154"},
    {"escheatinfo", "TBL155"},
    {"garnishhistory", "TBL156"},
    {"nonqual", "TBL157"},
    {"overpayment", "TBL159"},
    {"paymentsum", "TBL160"},
    {"qdrodetail", "TBL161"},
    {"stoppay", "TBL162"},
    {"taxhistory", "TBL163"},
    {"pacscashhistory", "TBL166"},
    {"pacsemployeegrp", "TBL167"},
    {"pacspaymentdest", "TBL168"},
    {"termvestcalc", "TBL170"},
    {"wfour", "TBL171"},
    {"benefitpaycode", "TBL172"},
    {"garnishment", "TBL173"},
    {"overpayhistory", "TBL174"},
    {"importinfo", "TBL175"},
    {"importstructure", "TBL176"},
    {"pacspaydist", "TBL220"},
    {"pacspaymenterrors", "TBL221"},
    {"pacscheckledger", "TBL223"},
    {"pacscorrespondhist", "TBL224"},
    {"bankinformation", "TBL005"},
}};

// Oracle catalogs are read for the connecting user's schema only; other sources unrestricted.
Restriction SchemaRestriction(const IConnection& source, DatabaseEngine sourceEngine) {
    if (sourceEngine != DatabaseEngine::Oracle)
        return std::nullopt;
    return UpperAZ(GetUserID(source.ConnectionString()));
}

int FieldOf(const IQuery& query, std::string_view name) {
    const int index = query.FieldIndex(name);
    if (index < 0)
        throw DatabaseError("The catalog answer has no column " + std::string(name));
    return index;
}

}  // namespace

void GetTableInfo(IConnection& source, const MiscOptions& options, DatabaseEngine sourceEngine,
                  TTableInfoArray& tables) {
    auto query = source.OpenSchema(
        SchemaRowset::Tables,
        {std::nullopt, SchemaRestriction(source, sourceEngine), std::nullopt, std::nullopt});
    const int typeField = FieldOf(*query, "TABLE_TYPE");
    const int nameField = FieldOf(*query, "TABLE_NAME");
    for (; !query->Eof(); query->Next()) {
        const std::string type = UpperAZ(query->AsText(typeField));
        int image = 0;
        if (type == kSystemTable) {
            if (!options.DisplaySystem)
                continue;
            image = 2;
        } else if (type == kView) {
            if (!options.DisplayViews)
                continue;
            image = 1;
        } else if (type == kSystemView) {
            if (!options.DisplaySystemViews)
                continue;
            image = 3;
        } else if (type == kSynonym) {
            if (!options.DisplaySynonyms)
                continue;
            image = 4;
        }
        tables.push_back({std::string(query->AsText(nameField)), type, image});
    }
}

void GetFieldTypeInfo(IConnection& source, std::string_view tableName, DatabaseEngine sourceEngine,
                      TFieldTypeInfoArr& columns) {
    auto query = source.OpenSchema(
        SchemaRowset::Columns,
        {std::nullopt, SchemaRestriction(source, sourceEngine), std::string(tableName)});
    columns.clear();
    const int nameField = FieldOf(*query, "COLUMN_NAME");
    const int typeField = FieldOf(*query, "DATA_TYPE");
    const int nullableField = FieldOf(*query, "IS_NULLABLE");
    for (; !query->Eof(); query->Next()) {
        columns.push_back({std::string(query->AsText(nameField)),
                           static_cast<std::int32_t>(query->AsInteger(typeField)),
                           query->AsBoolean(nullableField)});
    }
}

void GetPrimaryKeys(IConnection& source, std::string_view tableName, PrimaryKeyList& keys,
                    const CatalogErrorReporter& report) {
    try {
        auto query = source.OpenSchema(SchemaRowset::PrimaryKeys,
                                       {std::nullopt, std::nullopt, std::string(tableName)});
        keys.clear();
        const int nameField = FieldOf(*query, "COLUMN_NAME");
        for (; !query->Eof(); query->Next())
            keys.emplace_back(query->AsText(nameField));
    } catch (const std::exception& e) {
        if (report)
            report(std::string(kGetPrimaryKeys), e.what());
    }
}

std::string GetDB2TableName(std::string_view tableName) {
    for (const auto& [logical, physical] : kDB2TableNames) {
        if (SameName(logical, tableName))
            return std::string(physical);
    }
    return {};
}

TFieldTypeInfoArr LoadTableFields(IConnection& source, TZTTable& table, const TConnInfo& info,
                                  PrimaryKeyList& primaryKeys, const LoadFieldsOptions& options) {
    const bool createFields = table.FieldCount() == 0;
    const std::string requestName = IsDB2Connection(source.ConnectionString())
                                        ? GetDB2TableName(table.TableName)
                                        : table.TableName;
    TFieldTypeInfoArr columns;
    GetFieldTypeInfo(source, requestName, info.SourceEngine, columns);

    std::vector<std::string> names;
    for (const auto& column : columns) {
        bool known = false;
        for (const auto& name : names)
            known = known || SameName(name, column.Name);
        if (!known)
            names.push_back(column.Name);
    }

    if (options.ReadPrimaryKeys && info.SourceEngine != DatabaseEngine::Access)
        GetPrimaryKeys(source, requestName, primaryKeys, options.ReportError);

    for (const auto& name : names) {
        TZTField* field = nullptr;
        if (createFields) {
            field = &table.AddField();
            field->FieldName = name;
            field->Export = true;
            field->ClearValue = false;
            field->ReplacementValue.clear();
        } else {
            field = table.FindField(name);
            if (!field)
                continue;
        }
        field->PrimaryKey = IsPrimaryKey(primaryKeys, field->FieldName);
        field->Nullable = IsFieldNullable(columns, field->FieldName);
    }
    return columns;
}

}  // namespace vorlanex::db
