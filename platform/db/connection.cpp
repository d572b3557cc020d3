// A connection to the working database, spoken to through typed calls.
#include "platform/db/connection.h"

#include "platform/db/edit_base.h"
#include "platform/db/merge_edits.h"
#include "platform/db/connection_string.h"
#include "platform/db/jet_types.h"
#include "platform/db/row_inserter.h"
#include "platform/db/source_structure.h"
#include "platform/db/sqlite_handle.h"
#include "platform/shell/errors.h"

namespace db {

namespace {
constexpr int adModeRead = 1;
}  // namespace

// The open database and the insert prepared for the table rows go to last.
struct Connection::Database {
    SqliteDb sqlite;
    std::optional<RowInserter> inserter;  // after sqlite: finalized before the database can close

    Database(const std::string& path, bool readOnly) : sqlite(path, readOnly, !readOnly) {
        // Write-ahead logging: a long import transaction never blocks the grid, which reads on
        // the same thread while the import yields to the window. Stays set in the file; where
        // the file system cannot do it, SQLite keeps its rollback journal.
        if (readOnly) return;
        // Freed pages are zeroed only where that costs no extra writes. This SQLite zeroes every
        // page of a dropped table by default, which made the drop after a write-back rewrite the
        // whole table twice (log and checkpoint); the next import reuses those pages.
        sqlite.exec("PRAGMA secure_delete = FAST");
        // A new working database gets pages four times the default: counting, scanning and
        // dropping a table of a million rows then visits a quarter of the pages. Must come before
        // the first table and the log; an existing file keeps its size.
        sqlite.exec("PRAGMA page_size = 16384");
        try {
            sqlite.exec("PRAGMA journal_mode = WAL");
        } catch (const vts::Error&) {
            // Another connection holds the file right now; it switched the mode already or will.
        }
    }
};

Connection::Connection() = default;

Connection::~Connection() = default;

void Connection::Mode(int mode) { mode_ = mode; }

void Connection::Open(const std::string& connectionString) {
    if (db_) throw vts::Error("The connection is already open.");
    // Paradox tables are read by our engine (openParadoxTable), not through a connection.
    db_ = std::make_unique<Database>(workingDatabasePath(connectionString), mode_ == adModeRead);
}

void Connection::Close() { db_.reset(); }

int Connection::State() const { return db_ ? 1 : 0; }

SqliteDb& Connection::sqlite() const {
    if (!db_) throw vts::Error("The connection is not open.");
    return db_->sqlite;
}

void Connection::BeginTrans() { sqlite().exec("BEGIN"); }
void Connection::BeginWriteTrans() { sqlite().exec("BEGIN IMMEDIATE"); }
void Connection::CommitTrans() { sqlite().exec("COMMIT"); }
void Connection::RollbackTrans() { sqlite().exec("ROLLBACK"); }

void Connection::RecordSourceStructure(const std::string& table, const pdx::Schema& schema) {
    recordStructure(sqlite(), table, schema);
}

std::optional<pdx::Schema> Connection::SourceStructure(const std::string& table) {
    return readStructure(sqlite(), table);
}

void Connection::SetImportComplete(const std::string& table, bool complete) {
    setImportComplete(sqlite(), table, complete);
}

bool Connection::ImportComplete(const std::string& table) { return importComplete(sqlite(), table); }

void Connection::SetImportedRows(const std::string& table, std::int64_t rows) {
    setImportedRows(sqlite(), table, rows);
}

std::optional<std::int64_t> Connection::ImportedRows(const std::string& table) { return importedRows(sqlite(), table); }

void Connection::SetCopiedRows(const std::string& table, std::int64_t rows) { setCopiedRows(sqlite(), table, rows); }

std::optional<std::int64_t> Connection::CopiedRows(const std::string& table) { return copiedRows(sqlite(), table); }

std::vector<std::string> Connection::MergeEdits(const std::string& mine, const std::string& theirs) {
    return mergeEdits(sqlite(), mine, theirs);
}

bool Connection::HasUnsavedEdits(const std::string& table) { return hasUnsavedEdits(sqlite(), table); }

void Connection::RecordOrigin(const Origin& origin) { recordOrigin(sqlite(), origin); }

std::optional<Origin> Connection::OriginOf(const std::string& table) { return readOrigin(sqlite(), table); }

std::vector<Origin> Connection::Origins() { return readOrigins(sqlite()); }

void Connection::InsertRow(const std::string& table, const std::vector<pdx::Value>& row) {
    SqliteDb& db = sqlite();
    if (!db_->inserter || db_->inserter->table() != table) {
        db_->inserter.reset();
        db_->inserter.emplace(db, table);
    }
    db_->inserter->insert(row);
}

std::int64_t Connection::RowCount(const std::string& table) {
    Statement st(sqlite(), "SELECT count(*) FROM " + quoteIdentifier(table));
    st.step();
    return st.columnInt(0);
}

std::int64_t Connection::CompleteRowCount(const std::string& table) {
    const auto noted = rowCountFromNotes(sqlite(), WorkingTable::describe(sqlite(), table));
    return noted ? *noted : RowCount(table);
}

std::int64_t Connection::MaxRowid(const std::string& table) {
    Statement st(sqlite(), "SELECT coalesce(max(rowid), 0) FROM " + quoteIdentifier(table));
    st.step();
    return st.columnInt(0);
}

bool Connection::TableExists(const std::string& table) {
    // NOCASE folds ASCII letters only, as the working tables' names are matched everywhere. The
    // program's own tables are named "vts/...", a name no table file can give.
    Statement st(sqlite(),
                 "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE AND name NOT LIKE "
                 "'vts/%' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
    st.bind(1, table);
    return st.step();
}

std::shared_ptr<GridSource> Connection::OpenGridSource(const std::string& table) {
    return std::make_shared<GridSource>(sqlite().path(), table);
}

void Connection::DropTable(const std::string& table) {
    SqliteDb& db = sqlite();
    db_->inserter.reset();
    // A recorded structure belongs to the table it was recorded for: both go, or neither does.
    Savepoint both(db, "vts_drop");
    db.exec("DROP TABLE " + quoteIdentifier(table));
    forgetStructure(db, table);
    both.keep();
}

void Connection::DropTableIfExists(const std::string& table) {
    const bool there = [&] {
        Statement st(sqlite(), "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE");
        st.bind(1, table);
        return st.step();
    }();
    if (there) DropTable(table);
    else forgetStructure(sqlite(), table);
}

void Connection::CreateTable(const std::string& table, const std::vector<std::pair<std::string, JetType>>& columns) {
    SqliteDb& db = sqlite();
    db_->inserter.reset();
    std::string sql = "CREATE TABLE " + quoteIdentifier(table) + "(";
    for (std::size_t i = 0; i < columns.size(); ++i)
        sql += (i ? "," : "") + quoteIdentifier(columns[i].first) + " " + sqliteDeclaredType(columns[i].second);
    db.exec(sql + ")");
}

std::vector<std::string> Connection::WriteParadoxTable(const SelectInto& what) {
    return selectInto(sqlite(), what, writeHooks_);
}

void Connection::SetBeforeWrite(std::function<void()> hook) { writeHooks_.beforeWrite = std::move(hook); }

void Connection::SetRowWritten(std::function<void(long done)> hook) { writeHooks_.rowWritten = std::move(hook); }

}  // namespace db
