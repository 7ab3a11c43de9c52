#pragma once

#include <memory>
#include <string>

#include "db/Database.h"
#include "db/OdbcConnectionString.h"
#include "db/OdbcQuery.h"

namespace vorlanex::db {

// A connection over unixODBC. Keeps the program's connection string as given and connects
// with its ODBC translation; the driver's own login prompt is never shown.
class OdbcConnection final : public IConnection {
public:
    OdbcConnection();
    ~OdbcConnection() override;

    const std::string& ConnectionString() const override { return m_connectionString; }
    void SetConnectionString(std::string connectionString) override;
    bool Connected() const override;
    void Open() override;
    void Close() noexcept override;
    void BeginTrans() override;
    void CommitTrans() override;
    std::unique_ptr<IQuery> CreateQuery() override;
    std::unique_ptr<IQuery> OpenSchema(SchemaRowset rowset,
                                       const std::vector<Restriction>& restrictions) override;

private:
    std::string m_connectionString;
    std::shared_ptr<OdbcSession> m_session;
};

// The driver lookup of the ODBC translation, answered by the driver manager.
OdbcDriverLookup MachineDriverLookup();

}  // namespace vorlanex::db
