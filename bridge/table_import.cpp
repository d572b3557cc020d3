// ImportParadoxTable: copies one Paradox table into the working table of the same name.
#include <chrono>

#include "bridge/edit_session.h"
#include "bridge/paradox.h"
#include "bridge/table_import.h"
#include "platform/shell/progress.h"
#include "platform/db/connection.h"
#include "platform/db/jet_types.h"
#include "platform/db/paradox_table.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/io/family_lock.h"
#include "platform/pdx/io/family_signature.h"
#include "platform/pdx/replace/table_replace.h"
#include "platform/pdx/format/value_text.h"

namespace vts {

namespace {

// One transaction for the whole import (one per INSERT would make it many times slower). It is
// committed whether the import ends or fails, so the rows before a failure stay.
class CommitOnExit {
public:
    explicit CommitOnExit(db::Connection& connection) : connection_(connection) { connection_.BeginTrans(); }
    ~CommitOnExit() {
        if (open_) try {
                connection_.CommitTrans();
            } catch (...) {  // the error that ended the import is the one to report
            }
    }
    void commit() {
        open_ = false;
        connection_.CommitTrans();
    }

private:
    db::Connection& connection_;
    bool open_ = true;
};

// Step 6 and 7: each column with the working type its ADO type maps to.
std::vector<std::pair<std::string, db::JetType>> tableColumns(const db::Cursor& table, UiThrottle& yield) {
    std::vector<std::pair<std::string, db::JetType>> columns;
    for (const db::ColumnInfo& column : table.columns()) {
        yield();
        columns.emplace_back(column.name, db::ColumnType(static_cast<std::int16_t>(column.adoType)));
    }
    return columns;
}

// Step 8.3: one value of the current row, through IfNull with an empty text as replacement, in
// its text form (bytes as they are); an empty text or blob is stored as Null. Whole numbers and
// doubles are bound as what they are: the working column's affinity would turn their text back
// into the same number, at the cost of printing and parsing every one.
void setValue(pdx::Value& out, const pdx::Value& value) {
    if (std::holds_alternative<std::int64_t>(value) || std::holds_alternative<double>(value)) {
        out = value;
        return;
    }
    static const pdx::Value kEmptyText{std::string()};
    const pdx::Value& shown = IfNull(value, kEmptyText);
    if (const auto* bytes = std::get_if<pdx::Bytes>(&shown)) {
        out = bytes->empty() ? pdx::Value{} : shown;
        return;
    }
    if (const auto* text = std::get_if<std::string>(&shown)) {
        // Into the storage the row before left, where it is text too: no allocation per value.
        if (text->empty()) out = pdx::Value{};
        else if (auto* kept = std::get_if<std::string>(&out)) kept->assign(*text);
        else out = *text;
        return;
    }
    std::string text = pdx::toText(shown);
    out = text.empty() ? pdx::Value{} : pdx::Value{std::move(text)};
}

// Step 8: each row's values bound into one prepared insert.
void copyRows(const std::string& name, db::Cursor& table, db::Connection& working, UiThrottle& yield,
              const Progress& progress) {
    const long total = static_cast<long>(table.recordCount());
    std::vector<pdx::Value> values(table.columns().size());
    ProgressThrottle report(progress, total);
    for (long row = 0; row < total; ++row) {
        yield();
        for (size_t i = 0; i < values.size(); ++i) {
            yield();
            setValue(values[i], table.value(static_cast<int>(i)));
        }
        working.InsertRow(name, values);
        table.moveNext();
        report(row + 1);
    }
    report.finish(total);
}

}  // namespace

void ImportParadoxTable(AppContext& ctx, const std::string& name, const std::string& folder, const Progress& progress,
                        const std::string& password) {
    // 1. The working table belongs to this folder's table alone.
    ImportParadoxTableAs(ctx, name, folder, WorkingTableName(folder, name), progress, password);
}

void ImportParadoxTableAs(AppContext& ctx, const std::string& name, const std::string& folder,
                          const std::string& target, const Progress& progress, const std::string& password) {
    db::Connection working;
    UiThrottle yield(ctx.yieldToUi);
    // 2. The Paradox folder, read by our engine.
    db::requireParadoxFolder(folder);
    // 3.
    working.Open(WorkingConnectionString(ctx.dataHome()));
    CommitOnExit transaction(working);
    // 4.
    working.DropTableIfExists(target);
    // Edits that could never be written back are not begun.
    pdx::requireReplaceableName(name);
    // 5. What the table is before it is read: the write-back replaces it only while it is still
    // that table (a change after this point is seen as one, never missed).
    pdx::recoverTable(folder, name);  // what a crash cut short is settled before, not after
    std::string signature;
    std::unique_ptr<db::Cursor> table;
    {
        // The files a replacement renames stay put while they are looked at and opened.
        const pdx::FamilyLock files(folder, name, pdx::FamilyLock::Kind::Files, pdx::FamilyLock::Mode::Shared,
                                    std::chrono::seconds(10));
        const auto paradox = pdx::findTable(folder, name);
        signature = paradox ? pdx::familySignature(paradox->parent_path(), name) : std::string();
        table = db::openParadoxTable(folder, name, password);
    }
    // 6. and 7., then the source structure, which the write-back writes the table with.
    working.CreateTable(target, tableColumns(*table, yield));
    working.RecordSourceStructure(target, *table->sourceSchema());
    working.RecordOrigin({target, folder, name, signature});
    // Until the last row is in, the rows are a part of the table: they stay for the user to
    // see, but the write-back must not put them in the table's place.
    working.SetImportComplete(target, false);
    // 8.
    copyRows(target, *table, working, yield, progress);
    working.SetImportedRows(target, static_cast<std::int64_t>(table->recordCount()));
    working.SetImportComplete(target, true);
    transaction.commit();
    // 9.
    working.Close();
}

}  // namespace vts
