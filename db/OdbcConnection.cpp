#include "db/OdbcConnection.h"

#include "db/OdbcConnectionString.h"
#include "model/NameCompare.h"

namespace vorlanex::db {

namespace {

constexpr std::string_view kNoTransaction = "No transaction is active";
constexpr std::string_view kNotConnected = "The connection is not open";
constexpr SQLULEN kLoginTimeoutSeconds = 15;

// Calls fn(name, description) for every entry that SQLDrivers or SQLDataSources lists.
template <typename Lister, typename Visit>
void ListEntries(Lister lister, Visit visit) {
    EnvHandle env;
    try {
        env = AllocateEnvironment();
    } catch (const DatabaseError&) {
        return;
    }
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLCHAR name[512] = {};
        SQLCHAR description[1024] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT descriptionLength = 0;
        const SQLRETURN rc =
            lister(env.Get(), direction, name, static_cast<SQLSMALLINT>(sizeof name), &nameLength,
                   description, static_cast<SQLSMALLINT>(sizeof description), &descriptionLength);
        if (!SQL_SUCCEEDED(rc))
            return;
        if (visit(std::string_view(reinterpret_cast<const char*>(name)),
                  std::string_view(reinterpret_cast<const char*>(description))))
            return;
        direction = SQL_FETCH_NEXT;
    }
}

SQLCHAR* Text(const std::optional<std::string>& value) {
    return value ? reinterpret_cast<SQLCHAR*>(const_cast<char*>(value->c_str())) : nullptr;
}
SQLSMALLINT Length(const std::optional<std::string>& value) {
    return value ? static_cast<SQLSMALLINT>(value->size()) : 0;
}

}  // namespace

OdbcDriverLookup MachineDriverLookup() {
    OdbcDriverLookup lookup;
    lookup.DriverInstalled = [](std::string_view driver) {
        bool found = false;
        ListEntries(SQLDrivers, [&](std::string_view name, std::string_view) {
            found = SameName(name, driver);
            return found;
        });
        return found;
    };
    lookup.DriverOfDataSource = [](std::string_view dataSource) {
        std::string driver;
        ListEntries(SQLDataSources, [&](std::string_view name, std::string_view description) {
            if (!SameName(name, dataSource))
                return false;
            driver = description;
            return true;
        });
        return driver;
    };
    return lookup;
}

OdbcConnection::OdbcConnection() : m_session(std::make_shared<OdbcSession>()) {}

OdbcConnection::~OdbcConnection() {
    Close();
}

void OdbcConnection::SetConnectionString(std::string connectionString) {
    m_connectionString = std::move(connectionString);
}

bool OdbcConnection::Connected() const {
    return m_session->Connected;
}

void OdbcConnection::Open() {
    if (m_session->Connected)
        return;
    const std::string odbc = TranslateToOdbc(m_connectionString, MachineDriverLookup());

    EnvHandle env = AllocateEnvironment();
    DbcHandle connection = AllocateConnection(env);
    const SQLHANDLE dbc = connection.Get();
    // A server that does not answer must not block the window for good.
    SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(kLoginTimeoutSeconds), 0);
    SQLCHAR out[2048];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnect(
        dbc, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(odbc.c_str())),
        static_cast<SQLSMALLINT>(odbc.size()), out, sizeof out, &outLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        Diagnostics d = ReadDiagnostics(SQL_HANDLE_DBC, dbc);
        if (d.Message.empty())
            d.Message = "The connection could not be opened";
        throw DatabaseError(d.Message, d.SqlState, d.NativeCode);
    }
    // Queries created before the open share this session and work from now on.
    m_session->Env = std::move(env);
    m_session->Dbc = std::move(connection);
    m_session->InTransaction = false;
    m_session->Connected = true;
}

void OdbcConnection::Close() noexcept {
    OdbcSession& session = *m_session;
    if (!session.Connected)
        return;
    session.ReleaseStatements();
    if (session.InTransaction) {
        // Work that was never committed is not kept.
        SQLEndTran(SQL_HANDLE_DBC, session.Dbc.Get(), SQL_ROLLBACK);
        session.InTransaction = false;
    }
    SQLDisconnect(session.Dbc.Get());
    session.Dbc.Reset();
    session.Env.Reset();
    session.Connected = false;
}

void OdbcConnection::BeginTrans() {
    OdbcSession& session = *m_session;
    if (!session.Connected)
        throw DatabaseError(std::string(kNotConnected));
    const SQLHANDLE dbc = session.Dbc.Get();
    Check(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                            reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER),
          SQL_HANDLE_DBC, dbc, "Beginning a transaction");
    session.InTransaction = true;
}

void OdbcConnection::CommitTrans() {
    OdbcSession& session = *m_session;
    if (!session.Connected)
        throw DatabaseError(std::string(kNotConnected));
    if (!session.InTransaction)
        throw DatabaseError(std::string(kNoTransaction));
    const SQLHANDLE dbc = session.Dbc.Get();
    Check(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT), SQL_HANDLE_DBC, dbc,
          "Committing the transaction");
    session.InTransaction = false;
    Check(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                            reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), SQL_IS_UINTEGER),
          SQL_HANDLE_DBC, dbc, "Ending the transaction");
}

std::unique_ptr<IQuery> OdbcConnection::CreateQuery() {
    return std::make_unique<OdbcQuery>(m_session);
}

std::unique_ptr<IQuery> OdbcConnection::OpenSchema(SchemaRowset rowset,
                                                   const std::vector<Restriction>& restrictions) {
    auto at = [&](size_t index) -> Restriction {
        return index < restrictions.size() ? restrictions[index] : std::nullopt;
    };
    const Restriction catalog = at(0), schema = at(1), table = at(2), type = at(3);
    OdbcQuery::Request request;
    switch (rowset) {
        case SchemaRowset::Tables:
            request = [=](SQLHANDLE stmt) {
                return SQLTables(stmt, Text(catalog), Length(catalog), Text(schema), Length(schema),
                                 Text(table), Length(table), Text(type), Length(type));
            };
            break;
        case SchemaRowset::Columns:
            request = [=](SQLHANDLE stmt) {
                return SQLColumns(stmt, Text(catalog), Length(catalog), Text(schema),
                                  Length(schema), Text(table), Length(table), nullptr, 0);
            };
            break;
        case SchemaRowset::PrimaryKeys:
            request = [=](SQLHANDLE stmt) {
                return SQLPrimaryKeys(stmt, Text(catalog), Length(catalog), Text(schema),
                                      Length(schema), Text(table), Length(table));
            };
            break;
    }
    auto query = std::make_unique<OdbcQuery>(m_session);
    query->OpenSchema(rowset, std::move(request),
                      rowset == SchemaRowset::PrimaryKeys ? std::nullopt : table);
    return query;
}

std::unique_ptr<IConnection> CreateOdbcConnection() {
    return std::make_unique<OdbcConnection>();
}

}  // namespace vorlanex::db
