// A connection to the working database, spoken to through typed calls.
#include "platform/db/connection.h"

#include "platform/db/connection_string.h"
#include "platform/db/working_provider.h"
#include "platform/shell/errors.h"

namespace db {

namespace {
constexpr int adModeRead = 1;
}  // namespace

Connection::Connection() = default;

Connection::~Connection() = default;

void Connection::Mode(int mode) { mode_ = mode; }

void Connection::Open(const std::string& connectionString) {
    if (provider_) throw vts::Error("The connection is already open.");
    // Paradox tables are read by our engine (openParadoxTable), not through a connection.
    provider_ = std::make_unique<WorkingProvider>(workingDatabasePath(connectionString), mode_ == adModeRead);
    provider_->setWriteHooks(writeHooks_);
    connectionString_ = connectionString;
}

void Connection::Close() {
    provider_.reset();
    connectionString_.clear();
}

int Connection::State() const { return provider_ ? 1 : 0; }

void Connection::BeginTrans() { provider().beginTrans(); }
void Connection::CommitTrans() { provider().commitTrans(); }
void Connection::RollbackTrans() { provider().rollbackTrans(); }

void Connection::RecordSourceStructure(const std::string& table, const pdx::Schema& schema) {
    provider().recordSourceStructure(table, schema);
}

std::optional<pdx::Schema> Connection::SourceStructure(const std::string& table) {
    return provider().sourceStructure(table);
}

void Connection::SetImportComplete(const std::string& table, bool complete) {
    provider().setImportComplete(table, complete);
}

bool Connection::ImportComplete(const std::string& table) { return provider().importComplete(table); }

bool Connection::HasUnsavedEdits(const std::string& table) { return provider().hasUnsavedEdits(table); }

std::shared_ptr<GridSource> Connection::OpenGridSource(const std::string& table) {
    return provider().openGridSource(table);
}

bool Connection::TableExists(const std::string& table) { return provider().tableExists(table); }

std::int64_t Connection::RowCount(const std::string& table) { return provider().rowCount(table); }

void Connection::CreateTable(const std::string& table,
                             const std::vector<std::pair<std::string, std::string>>& columns) {
    provider().createTable(table, columns);
}

void Connection::DropTable(const std::string& table) { provider().dropTable(table); }

void Connection::WriteParadoxTable(const SelectInto& what) { provider().writeParadoxTable(what); }

void Connection::InsertRow(const std::string& table, const std::vector<Variant>& row) {
    provider().insertRow(table, row);
}

void Connection::SetBeforeWrite(std::function<void()> hook) {
    writeHooks_.beforeWrite = std::move(hook);
    if (provider_) provider_->setWriteHooks(writeHooks_);
}

void Connection::SetRowWritten(std::function<void(long done)> hook) {
    writeHooks_.rowWritten = std::move(hook);
    if (provider_) provider_->setWriteHooks(writeHooks_);
}

const std::string& Connection::ConnectionString() const { return connectionString_; }

WorkingProvider& Connection::provider() const {
    if (!provider_) throw vts::Error("The connection is not open.");
    return *provider_;
}

}  // namespace db
