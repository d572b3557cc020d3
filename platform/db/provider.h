// A data source behind a connection: the Paradox folder or the working database.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/db/cursor.h"
#include "platform/db/select_into.h"
#include "platform/db/write_hooks.h"
#include "platform/pdx/types.h"

namespace db {

struct OpenOptions {
    int cursorLocation = 2;
    int cursorType = -1;
    int lockType = -1;
};

class Provider {
public:
    virtual ~Provider() = default;
    virtual void execute(const std::string& sql) = 0;
    virtual std::unique_ptr<Cursor> open(const std::string& source, const OpenOptions& options) = 0;
    virtual std::unique_ptr<Cursor> tables() = 0;  // OpenSchema(adSchemaTables)

    virtual void beginTrans();
    virtual void commitTrans();
    virtual void rollbackTrans();
    virtual void recordSourceStructure(const std::string& table, const pdx::Schema& schema);
    virtual std::optional<pdx::Schema> sourceStructure(const std::string& table);
    virtual void setImportComplete(const std::string& table, bool complete);
    virtual bool importComplete(const std::string& table);
    virtual bool hasUnsavedEdits(const std::string& table);
    virtual void insertRow(const std::string& table, const std::vector<Variant>& row);
    virtual std::int64_t rowCount(const std::string& table);
    virtual bool tableExists(const std::string& table);
    virtual std::shared_ptr<GridSource> openGridSource(const std::string& table);
    virtual void dropTable(const std::string& table);
    virtual void createTable(const std::string& table, const std::vector<std::pair<std::string, std::string>>& columns);
    virtual void writeParadoxTable(const SelectInto& what);
    virtual void setWriteHooks(const WriteHooks& hooks);
};

}  // namespace db
