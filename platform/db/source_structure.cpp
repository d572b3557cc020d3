// Keeps the Paradox structure each working table was imported from, in a system table of the
// working database whose name no table name can take (table names come from file names).
#include "platform/db/source_structure.h"

#include "platform/db/edit_base.h"
#include "platform/pdx/format/value_text.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

const std::string kTable = quoteIdentifier(kStructureTable);

bool tableExists(const SqliteDb& db, const char* name) {
    Statement st(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
    st.bind(1, std::string(name));
    return st.step();
}

bool structureTableExists(const SqliteDb& db) { return tableExists(db, kStructureTable); }

bool knownFieldType(std::int64_t code) {
    using T = pdx::FieldType;
    for (T t : {T::Alpha, T::Date, T::Short, T::Long, T::Currency, T::Number, T::Logical, T::Memo, T::Binary,
                T::FmtMemo, T::Ole, T::Graphic, T::Time, T::Timestamp, T::AutoInc, T::Bcd, T::Bytes})
        if (static_cast<std::int64_t>(t) == code) return true;
    return false;
}

// All changes in one savepoint, so a failure leaves the earlier record; works inside a caller's
// transaction too.
template <class F>
void inSavepoint(SqliteDb& db, F&& work) {
    Savepoint all(db, "vts_structure");
    work();
    all.keep();
}

// A mark on a table name, kept as a row of a system table of its own.
void setMark(SqliteDb& db, const char* marks, const std::string& table, bool on) {
    const std::string quoted = quoteIdentifier(marks);
    if (!on) {
        if (!tableExists(db, marks)) return;
        Statement del(db, "DELETE FROM " + quoted + " WHERE table_name = ?");
        del.bind(1, table);
        del.step();
        return;
    }
    db.exec("CREATE TABLE IF NOT EXISTS " + quoted + "(table_name TEXT PRIMARY KEY COLLATE NOCASE)");
    Statement ins(db, "INSERT OR IGNORE INTO " + quoted + " VALUES(?)");
    ins.bind(1, table);
    ins.step();
}

bool hasMark(const SqliteDb& db, const char* marks, const std::string& table) {
    if (!tableExists(db, marks)) return false;
    Statement st(db, "SELECT 1 FROM " + quoteIdentifier(marks) + " WHERE table_name = ?");
    st.bind(1, table);
    return st.step();
}

}  // namespace

void recordStructure(SqliteDb& db, const std::string& table, const pdx::Schema& schema) {
    inSavepoint(db, [&] {
        db.exec("CREATE TABLE IF NOT EXISTS " + kTable +
                "(table_name TEXT NOT NULL COLLATE NOCASE, position INT NOT NULL, name TEXT NOT NULL, "
                "type INT NOT NULL, size INT NOT NULL, key_fields INT NOT NULL, code_page INT NOT NULL, "
                "sort_order INT NOT NULL, sort_order_id TEXT NOT NULL, PRIMARY KEY(table_name, position))");
        Statement del(db, "DELETE FROM " + kTable + " WHERE table_name = ?");
        del.bind(1, table);
        del.step();
        Statement ins(db, "INSERT INTO " + kTable + " VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (std::size_t i = 0; i < schema.fields.size(); ++i) {
            const auto& f = schema.fields[i];
            const std::vector<pdx::Value> values{table,
                                                 std::int64_t(i),
                                                 f.name,
                                                 std::int64_t(f.type),
                                                 std::int64_t(f.size),
                                                 std::int64_t(schema.keyFields),
                                                 std::int64_t(schema.codePage),
                                                 std::int64_t(schema.sortOrder),
                                                 schema.sortOrderId};
            for (std::size_t k = 0; k < values.size(); ++k) ins.bind(static_cast<int>(k) + 1, values[k]);
            ins.step();
            ins.reset();
        }
    });
}

std::optional<pdx::Schema> readStructure(const SqliteDb& db, const std::string& table) {
    if (!structureTableExists(db)) return std::nullopt;
    Statement st(db, "SELECT name, type, size, key_fields, code_page, sort_order, sort_order_id FROM " + kTable +
                         " WHERE table_name = ? ORDER BY position");
    st.bind(1, table);
    pdx::Schema schema;
    while (st.step()) {
        const auto type = st.columnInt(1);
        if (!knownFieldType(type)) return std::nullopt;  // not written by us: ignore rather than guess
        schema.fields.push_back({pdx::toText(st.column(0)), static_cast<pdx::FieldType>(type), int(st.columnInt(2))});
        schema.keyFields = int(st.columnInt(3));
        schema.codePage = int(st.columnInt(4));
        schema.sortOrder = int(st.columnInt(5));
        schema.sortOrderId = pdx::toText(st.column(6));
    }
    if (schema.fields.empty()) return std::nullopt;
    return schema;
}

void forgetStructure(SqliteDb& db, const std::string& table) {
    setImportComplete(db, table, true);
    setUnsavedEdits(db, table, false);
    forgetBase(db, table);
    if (tableExists(db, kOriginsTable)) {
        Statement del(db, "DELETE FROM " + quoteIdentifier(kOriginsTable) + " WHERE table_name = ?");
        del.bind(1, table);
        del.step();
    }
    if (!structureTableExists(db)) return;
    Statement del(db, "DELETE FROM " + kTable + " WHERE table_name = ?");
    del.bind(1, table);
    del.step();
}

void setImportComplete(SqliteDb& db, const std::string& table, bool complete) {
    setMark(db, kIncompleteTable, table, !complete);
}

bool importComplete(const SqliteDb& db, const std::string& table) { return !hasMark(db, kIncompleteTable, table); }

void setUnsavedEdits(SqliteDb& db, const std::string& table, bool unsaved) {
    setMark(db, kUnsavedEditsTable, table, unsaved);
}

bool hasUnsavedEdits(const SqliteDb& db, const std::string& table) { return hasMark(db, kUnsavedEditsTable, table); }

void recordOrigin(SqliteDb& db, const Origin& origin) {
    const std::string quoted = quoteIdentifier(kOriginsTable);
    db.exec("CREATE TABLE IF NOT EXISTS " + quoted +
            "(table_name TEXT PRIMARY KEY COLLATE NOCASE, folder TEXT NOT NULL, name TEXT NOT NULL, "
            "signature TEXT NOT NULL)");
    Statement ins(db, "INSERT OR REPLACE INTO " + quoted + " VALUES(?, ?, ?, ?)");
    const std::vector<pdx::Value> values{origin.table, origin.folder, origin.name, origin.signature};
    for (std::size_t k = 0; k < values.size(); ++k) ins.bind(static_cast<int>(k) + 1, values[k]);
    ins.step();
}

namespace {

std::vector<Origin> selectOrigins(const SqliteDb& db, const std::string* table) {
    std::vector<Origin> out;
    if (!tableExists(db, kOriginsTable)) return out;
    Statement st(db, "SELECT table_name, folder, name, signature FROM " + quoteIdentifier(kOriginsTable) +
                         (table ? " WHERE table_name = ?" : " ORDER BY table_name"));
    if (table) st.bind(1, *table);
    while (st.step())
        out.push_back({pdx::toText(st.column(0)), pdx::toText(st.column(1)), pdx::toText(st.column(2)),
                       pdx::toText(st.column(3))});
    return out;
}

}  // namespace

std::optional<Origin> readOrigin(const SqliteDb& db, const std::string& table) {
    auto found = selectOrigins(db, &table);
    if (found.empty()) return std::nullopt;
    return found.front();
}

std::vector<Origin> readOrigins(const SqliteDb& db) { return selectOrigins(db, nullptr); }

}  // namespace db
