// The working database behind a connection: SQLite, spoken to through typed calls only.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/db/grid_source.h"
#include "platform/db/row_inserter.h"
#include "platform/db/select_into.h"
#include "platform/db/sqlite_handle.h"
#include "platform/db/write_hooks.h"
#include "platform/pdx/types.h"

namespace db {

class WorkingProvider {
public:
    // Creates the database file when missing (unless read-only).
    WorkingProvider(const std::string& path, bool readOnly);
    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    void recordSourceStructure(const std::string& table, const pdx::Schema& schema);
    std::optional<pdx::Schema> sourceStructure(const std::string& table);
    void setImportComplete(const std::string& table, bool complete);
    bool importComplete(const std::string& table);
    bool hasUnsavedEdits(const std::string& table);
    void insertRow(const std::string& table, const std::vector<Variant>& row);
    std::int64_t rowCount(const std::string& table);
    bool tableExists(const std::string& table);
    std::shared_ptr<GridSource> openGridSource(const std::string& table);
    void dropTable(const std::string& table);
    void createTable(const std::string& table, const std::vector<std::pair<std::string, std::string>>& columns);
    void writeParadoxTable(const SelectInto& what);
    void setWriteHooks(const WriteHooks& hooks) { writeHooks_ = hooks; }

private:
    std::shared_ptr<SqliteDb> db_;
    std::optional<RowInserter> inserter_;  // after db_: finalized before the database can close
    WriteHooks writeHooks_;
};

}  // namespace db
