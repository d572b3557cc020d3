// The working database as a data source: SQLite, spoken to in the callers' Jet dialect.
#pragma once
#include <memory>

#include <optional>

#include "platform/db/row_inserter.h"
#include "platform/db/provider.h"
#include "platform/db/sql_tokens.h"
#include "platform/db/sqlite_handle.h"

namespace db {

class WorkingProvider : public Provider {
public:
    // Creates the database file when missing (unless read-only).
    WorkingProvider(const std::string& path, bool readOnly);
    void execute(const std::string& sql) override;
    std::unique_ptr<Cursor> open(const std::string& source, const OpenOptions& options) override;
    std::unique_ptr<Cursor> tables() override;

    void beginTrans() override;
    void commitTrans() override;
    void rollbackTrans() override;
    void recordSourceStructure(const std::string& table, const pdx::Schema& schema) override;
    std::optional<pdx::Schema> sourceStructure(const std::string& table) override;
    void setImportComplete(const std::string& table, bool complete) override;
    bool importComplete(const std::string& table) override;
    bool hasUnsavedEdits(const std::string& table) override;
    void insertRow(const std::string& table, const std::vector<Variant>& row) override;
    std::int64_t rowCount(const std::string& table) override;
    bool tableExists(const std::string& table) override;
    std::shared_ptr<GridSource> openGridSource(const std::string& table) override;
    void dropTable(const std::string& table) override;
    void createTable(const std::string& table, const std::vector<std::pair<std::string, std::string>>& columns) override;
    void writeParadoxTable(const SelectInto& what) override;
    void setWriteHooks(const WriteHooks& hooks) override { writeHooks_ = hooks; }

private:
    void run(const std::string& sql, const std::vector<Token>& statement);
    std::shared_ptr<SqliteDb> db_;  // shared with open record sets
    std::optional<RowInserter> inserter_;  // after db_: finalized before the database can close
    WriteHooks writeHooks_;
};

}  // namespace db
