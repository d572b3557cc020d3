// The working database behind a connection: SQLite, spoken to through typed calls only.
#include "platform/db/working_provider.h"

#include "platform/db/jet_types.h"
#include "platform/db/select_into.h"
#include "platform/db/source_structure.h"
#include "platform/shell/errors.h"

namespace db {

WorkingProvider::WorkingProvider(const std::string& path, bool readOnly)
    : db_(std::make_shared<SqliteDb>(path, readOnly, !readOnly)) {
    // Write-ahead logging: a long import transaction never blocks the grid, which reads on the
    // same thread while the import yields to the window. Stays set in the file; where the file
    // system cannot do it, SQLite keeps its rollback journal.
    if (!readOnly) {
        // Freed pages are zeroed only where that costs no extra writes. This SQLite zeroes every
        // page of a dropped table by default, which made the drop after a write-back rewrite
        // the whole table twice (log and checkpoint); the next import reuses those pages.
        db_->exec("PRAGMA secure_delete = FAST");
        try {
            db_->exec("PRAGMA journal_mode = WAL");
        } catch (const vts::Error&) {
            // Another connection holds the file right now; it switched the mode already or will.
        }
    }
}

void WorkingProvider::beginTrans() { db_->exec("BEGIN"); }
void WorkingProvider::commitTrans() { db_->exec("COMMIT"); }
void WorkingProvider::rollbackTrans() { db_->exec("ROLLBACK"); }

void WorkingProvider::recordSourceStructure(const std::string& table, const pdx::Schema& schema) {
    recordStructure(*db_, table, schema);
}

std::optional<pdx::Schema> WorkingProvider::sourceStructure(const std::string& table) {
    return readStructure(*db_, table);
}

void WorkingProvider::setImportComplete(const std::string& table, bool complete) {
    db::setImportComplete(*db_, table, complete);
}

bool WorkingProvider::importComplete(const std::string& table) { return db::importComplete(*db_, table); }

bool WorkingProvider::hasUnsavedEdits(const std::string& table) { return db::hasUnsavedEdits(*db_, table); }

std::shared_ptr<GridSource> WorkingProvider::openGridSource(const std::string& table) {
    return std::make_shared<GridSource>(db_->path(), table);
}

bool WorkingProvider::tableExists(const std::string& table) {
    // NOCASE folds ASCII letters only, as the working tables' names are matched everywhere.
    Statement st(*db_,
                 "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE AND name NOT IN "
                 "(?, ?, ?) AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
    st.bind(1, table);
    st.bind(2, std::string(kStructureTable));
    st.bind(3, std::string(kIncompleteTable));
    st.bind(4, std::string(kUnsavedEditsTable));
    return st.step();
}

std::int64_t WorkingProvider::rowCount(const std::string& table) {
    Statement st(*db_, "SELECT count(*) FROM " + quoteIdentifier(table));
    st.step();
    return st.columnInt(0);
}

void WorkingProvider::createTable(const std::string& table,
                                  const std::vector<std::pair<std::string, std::string>>& columns) {
    inserter_.reset();
    std::string sql = "CREATE TABLE " + quoteIdentifier(table) + "(";
    for (std::size_t i = 0; i < columns.size(); ++i)
        sql += (i ? "," : "") + quoteIdentifier(columns[i].first) + " " + sqliteDeclaredType(columns[i].second);
    db_->exec(sql + ")");
}

void WorkingProvider::dropTable(const std::string& table) {
    inserter_.reset();
    // A recorded structure belongs to the table it was recorded for: both go, or neither does.
    db_->exec("SAVEPOINT vts_drop");
    try {
        db_->exec("DROP TABLE " + quoteIdentifier(table));
        forgetStructure(*db_, table);
        db_->exec("RELEASE vts_drop");
    } catch (...) {
        db_->exec("ROLLBACK TO vts_drop");
        db_->exec("RELEASE vts_drop");
        throw;
    }
}

void WorkingProvider::writeParadoxTable(const SelectInto& what) { selectInto(*db_, what, writeHooks_); }

void WorkingProvider::insertRow(const std::string& table, const std::vector<Variant>& row) {
    if (!inserter_ || inserter_->table() != table) {
        inserter_.reset();
        inserter_.emplace(*db_, table);
    }
    inserter_->insert(row);
}

}  // namespace db
