// A connection to the working database (SQLite), opened by its connection string and spoken to
// through typed calls: no statement text is built by a caller and parsed back here.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/db/connection_string.h"
#include "platform/db/grid_source.h"
#include "platform/db/select_into.h"
#include "platform/db/source_structure.h"
#include "platform/db/write_hooks.h"
#include "platform/pdx/format/types.h"

namespace db {

class SqliteDb;

class Connection {
public:
    Connection();
    ~Connection();  // closes
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void Mode(int mode);  // 1 adModeRead opens the working database read-only; before Open
    // Throws vts::Error for any string but the working database's (Paradox tables are read with
    // openParadoxTable), or a working database that cannot be opened or created.
    void Open(const std::string& connectionString);
    void Close();
    int State() const;  // 0 closed, 1 open

    // Working database only; not logged.
    void BeginTrans();
    // A transaction that writes from its start: it waits for another connection's write to end,
    // where a read first and a write after could be refused at once.
    void BeginWriteTrans();
    void CommitTrans();
    void RollbackTrans();

    // The Paradox structure a working table was imported from (working database only; not
    // logged). Kept in a system table whose name no table name can take.
    void RecordSourceStructure(const std::string& table, const pdx::Schema& schema);
    std::optional<pdx::Schema> SourceStructure(const std::string& table);
    // Whether the working table holds every row of its Paradox table (working database only;
    // not logged). A table is complete unless an import marked it otherwise.
    void SetImportComplete(const std::string& table, bool complete);
    bool ImportComplete(const std::string& table);
    // How many rows the import put in the working table, which lets later edits be told from
    // the imported rows (working database only; not logged).
    void SetImportedRows(const std::string& table, std::int64_t rows);
    std::optional<std::int64_t> ImportedRows(const std::string& table);
    // How many of them are in so far, while the import goes on (working database only; not logged).
    void SetCopiedRows(const std::string& table, std::int64_t rows);
    std::optional<std::int64_t> CopiedRows(const std::string& table);
    // The largest rowid of the table, 0 when it is empty.
    std::int64_t MaxRowid(const std::string& table);
    // Carries the edits of working table `mine` into working table `theirs`, a fresh import of
    // the same Paradox table, all or none; returns the rows that collide (see db::mergeEdits).
    std::vector<std::string> MergeEdits(const std::string& mine, const std::string& theirs);
    // Whether the working table was edited since its import and not yet written back (working
    // database only; not logged). Dropping the table clears it.
    bool HasUnsavedEdits(const std::string& table);
    // Where a working table came from (working database only; not logged). Dropping the table
    // forgets it.
    void RecordOrigin(const Origin& origin);
    std::optional<Origin> OriginOf(const std::string& table);
    std::vector<Origin> Origins();
    // Adds one row to a working table, one value per column, through a statement prepared once
    // per table (working database only; not logged). Throws vts::Error.
    void InsertRow(const std::string& table, const std::vector<pdx::Value>& row);
    // Working database only; not logged. The rows of a table; a table dropped with the
    // structure recorded for it.
    std::int64_t RowCount(const std::string& table);
    // The same for a table whose import is complete, without reading every row where its
    // changes were noted (never fewer than there are).
    std::int64_t CompleteRowCount(const std::string& table);
    // Whether a base table of that name is there, ASCII letter case ignored (views and the
    // program's own tables never match).
    bool TableExists(const std::string& table);
    // The grid's window onto a working table (working database only; not logged). Throws
    // vts::Error when the table is not there.
    std::shared_ptr<GridSource> OpenGridSource(const std::string& table);
    void DropTable(const std::string& table);
    // The same, and nothing when there is no table of that name (the program's own included).
    void DropTableIfExists(const std::string& table);
    // A new table with these columns, each a name and a Jet type ("INT", "MEMO", ...) whose
    // declared type keeps its values exactly (working database only; not logged).
    void CreateTable(const std::string& table, const std::vector<std::pair<std::string, JetType>>& columns);
    // Replaces the Paradox table what.target in what.folder with the first what.top rows of the
    // working table what.source, all or nothing (working database only; not logged). Returns
    // the earlier table's secondary indexes that could not be kept, each with the reason.
    std::vector<std::string> WriteParadoxTable(const SelectInto& what);

    // Test hook handed to the Paradox writer of WriteParadoxTable: called before every write.
    void SetBeforeWrite(std::function<void()> hook);
    // Called with the rows written so far while WriteParadoxTable writes a Paradox table.
    void SetRowWritten(std::function<void(long done)> hook);

private:
    struct Database;
    SqliteDb& sqlite() const;  // throws vts::Error when the connection is not open

    int mode_ = 0;
    WriteHooks writeHooks_;
    std::unique_ptr<Database> db_;
};

}  // namespace db
