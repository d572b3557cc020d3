// ImportParadoxTable: copies one Paradox table into the working table of the same name.
#include <chrono>
#include <limits>

#include "bridge/edit_session.h"
#include "bridge/paradox.h"
#include "bridge/row_copy.h"
#include "bridge/table_import.h"
#include "platform/shell/progress.h"
#include "platform/db/connection.h"
#include "platform/db/jet_types.h"
#include "platform/db/paradox_table.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/io/family_lock.h"
#include "platform/pdx/io/family_signature.h"
#include "platform/pdx/replace/table_replace.h"

namespace vts {

namespace {

// Step 6 and 7: each column with the working type its ADO type maps to.
std::vector<std::pair<std::string, db::JetType>> tableColumns(const db::Cursor& table, UiThrottle& yield) {
    std::vector<std::pair<std::string, db::JetType>> columns;
    for (const db::ColumnInfo& column : table.columns()) {
        yield();
        columns.emplace_back(column.name, db::ColumnType(static_cast<std::int16_t>(column.adoType)));
    }
    return columns;
}

// Step 2, the Paradox folder (read by our engine), and step 3.
void openWorking(AppContext& ctx, const std::string& folder, db::Connection& working) {
    db::requireParadoxFolder(folder);
    working.Open(WorkingConnectionString(ctx.dataHome()));
}

// Step 5: what the table is before it is read, and a cursor on it. The write-back replaces the
// table only while it is still that table (a change after this point is seen as one, never missed).
struct SourceTable {
    std::string signature;
    std::unique_ptr<db::Cursor> table;
};

SourceTable openSource(const std::string& folder, const std::string& name, const std::string& password) {
    pdx::recoverTable(folder, name);  // what a crash cut short is settled before, not after
    // The files a replacement renames stay put while they are looked at and opened.
    const pdx::FamilyLock files(folder, name, pdx::FamilyLock::Kind::Files, pdx::FamilyLock::Mode::Shared,
                                std::chrono::seconds(10));
    const auto paradox = pdx::findTable(folder, name);
    SourceTable source;
    source.signature = paradox ? pdx::familySignature(paradox->parent_path(), name) : std::string();
    source.table = db::openParadoxTable(folder, name, password);
    return source;
}

// Step 8: the rows after the first `rowsIn` up to `rowsNow` more, in one transaction; the table
// is complete when they were the last. Step 9, then the rest is left to a tail (null when none).
std::unique_ptr<ImportTail> copyFirstRows(AppContext& ctx, db::Connection& working, const std::string& target,
                                          std::unique_ptr<db::Cursor> table, long rowsIn, long rowsNow,
                                          UiThrottle& yield, const Progress& progress) {
    const long total = static_cast<long>(table->recordCount());
    const long until = rowsIn + std::min(rowsNow, total - rowsIn);
    {
        CommitOnExit transaction(working);
        ProgressThrottle report(progress, total);
        std::vector<pdx::Value> values(table->columns().size());
        for (long row = rowsIn; row < until; ++row) {
            yield();
            copyRow(*table, values, working, target);
            report(row + 1);
        }
        report.finish(until);
        working.SetCopiedRows(target, until);
        if (until == total) working.SetImportComplete(target, true);
        transaction.commit();
    }
    working.Close();
    if (until == total) return nullptr;
    return std::make_unique<ImportTail>(WorkingConnectionString(ctx.dataHome()), target, std::move(table), until);
}

}  // namespace

void ImportParadoxTable(AppContext& ctx, const std::string& name, const std::string& folder, const Progress& progress,
                        const std::string& password) {
    // 1. The working table belongs to this folder's table alone.
    ImportParadoxTableAs(ctx, name, folder, WorkingTableName(folder, name), progress, password);
}

void ImportParadoxTableAs(AppContext& ctx, const std::string& name, const std::string& folder,
                          const std::string& target, const Progress& progress, const std::string& password) {
    StartParadoxImport(ctx, name, folder, target, std::numeric_limits<long>::max(), progress, password);
}

std::unique_ptr<ImportTail> StartParadoxImport(AppContext& ctx, const std::string& name, const std::string& folder,
                                               const std::string& target, long rowsNow, const Progress& progress,
                                               const std::string& password) {
    db::Connection working;
    UiThrottle yield(ctx.yieldToUi);
    openWorking(ctx, folder, working);
    // Edits that could never be written back are not begun.
    pdx::requireReplaceableName(name);
    // 5. before the transaction: the table's files may be waited for, and other windows' writes
    // to the working database must not wait meanwhile.
    SourceTable source = openSource(folder, name, password);
    {
        CommitOnExit transaction(working);
        // 4.
        working.DropTableIfExists(target);
        // 6. and 7., then the source structure, which the write-back writes the table with.
        working.CreateTable(target, tableColumns(*source.table, yield));
        working.RecordSourceStructure(target, *source.table->sourceSchema());
        working.RecordOrigin({target, folder, name, source.signature});
        // Until the last row is in, the rows are a part of the table: they stay for the user to
        // see, but the write-back must not put them in the table's place.
        working.SetImportComplete(target, false);
        // Every row the table has is one of its own (an edit keeps its row as it was), also
        // those still to come.
        working.SetImportedRows(target, source.table->recordCount());
        transaction.commit();
    }
    // 8. and 9.
    return copyFirstRows(ctx, working, target, std::move(source.table), 0, rowsNow, yield, progress);
}

std::unique_ptr<ImportTail> ResumeParadoxImport(AppContext& ctx, const std::string& name, const std::string& folder,
                                                const std::string& target, long rowsNow, const Progress& progress,
                                                const std::string& password) {
    db::Connection working;
    UiThrottle yield(ctx.yieldToUi);
    openWorking(ctx, folder, working);
    const auto origin = working.OriginOf(target);
    if (!working.TableExists(target) || !origin || working.ImportComplete(target)) return nullptr;
    SourceTable source = openSource(folder, name, password);
    // The rows there are the table's first ones when they are the rows copied (rowids 1..n: none
    // was added or deleted before the last one was in) and the table is the one they came from.
    const auto rowsIn = working.RowCount(target);
    if (working.CopiedRows(target) != rowsIn || working.MaxRowid(target) != rowsIn)
        throw Error("The copy of the table " + name +
                    " that was cut short no longer holds the rows it copied, so it cannot be finished and the "
                    "changes in it cannot be written back. Choose the table again and discard the changes to "
                    "open it as it is now.");
    if (source.signature != origin->signature || rowsIn > source.table->recordCount() ||
        working.ImportedRows(target) != source.table->recordCount())
        throw Error("The table " + name +
                    " was changed in the Paradox folder after its copy here was cut short, so the copy cannot be "
                    "finished and the changes in it cannot be written back. Choose the table again and discard "
                    "the changes to open it as it is now.");
    // The rows there are passed by, with the progress (and a close request it may carry).
    ProgressThrottle report(progress, static_cast<long>(source.table->recordCount()));
    for (std::int64_t row = 0; row < rowsIn; ++row) {
        yield();
        source.table->moveNext();
        report(static_cast<long>(row + 1));
    }
    return copyFirstRows(ctx, working, target, std::move(source.table), static_cast<long>(rowsIn), rowsNow, yield,
                         progress);
}

}  // namespace vts
