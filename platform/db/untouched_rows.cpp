#include "platform/db/untouched_rows.h"

#include "platform/db/edit_base.h"
#include "platform/db/paradox_schema.h"
#include "platform/db/paradox_values.h"
#include "platform/pdx/read/reader.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

// The rows the session changed or added, read out of the working table as the new table's values.
class ChangedRows {
public:
    ChangedRows(const SqliteDb& db, const WorkingTable& table, const pdx::Schema& schema)
        : one_(db, select(table) + " WHERE " + table.rowid + " = ?"),
          after_(db, select(table) + " WHERE " + table.rowid + " > ? ORDER BY " + table.rowid),
          fields_(schema.fields) {}

    // Row `rowid` into `out`; false when the session deleted it.
    bool read(std::int64_t rowid, std::int64_t row, pdx::Record& out) {
        one_.reset();
        one_.bind(1, rowid);
        if (!one_.step()) return false;
        decode(one_, row, out);
        return true;
    }
    void startAfter(std::int64_t rowid) { after_.bind(1, rowid); }
    // The next row after that one, in rowid order.
    bool next(std::int64_t row, pdx::Record& out) {
        if (!after_.step()) return false;
        decode(after_, row, out);
        return true;
    }

private:
    static std::string select(const WorkingTable& table) {
        return "SELECT " + table.quotedColumns() + " FROM " + quoteIdentifier(table.name);
    }
    void decode(const Statement& st, std::int64_t row, pdx::Record& out) const {
        out.resize(fields_.size());
        for (std::size_t i = 0; i < fields_.size(); ++i)
            readFieldOfRow(st, static_cast<int>(i), fields_[i], row, out[i]);
    }

    Statement one_, after_;
    const std::vector<pdx::Field> fields_;
};

}  // namespace

std::optional<std::int64_t> writeUntouchedFromSource(SqliteDb& db, const WorkingTable& table, const pdx::Schema& schema,
                                                     const std::filesystem::path& source, std::int64_t top,
                                                     pdx::TableWriter& writer,
                                                     const std::function<void(long)>& rowWritten) {
    // One state of the working table throughout, also when another window writes to it meanwhile.
    Savepoint snapshot(db, "vts_write_back");
    const auto imported = importedRows(db, table.name);
    const auto touched = touchedRows(db, table.name);
    if (!imported || !touched) return std::nullopt;
    pdx::TableReader records(source, {"", true});  // opened with its password by the import
    if (records.info().schema.fields != schema.fields) return std::nullopt;
    ChangedRows changed(db, table, schema);
    pdx::Record record;
    std::int64_t done = 0, taken = 0;
    const auto put = [&] {
        writer.append(record);
        if (rowWritten) rowWritten(static_cast<long>(++done));
    };
    auto nextTouched = touched->begin();
    for (std::int64_t rowid = 1; rowid <= *imported && done < top; ++rowid) {
        if (!records.next(record))
            throw vts::Error("The table holds fewer records than the " + std::to_string(*imported) +
                             " copied from it.");
        while (nextTouched != touched->end() && *nextTouched < rowid) ++nextTouched;
        const bool untouched = nextTouched == touched->end() || *nextTouched != rowid;
        if (untouched) ++taken;
        if (untouched || changed.read(rowid, done + 1, record)) put();
    }
    changed.startAfter(*imported);
    while (done < top && changed.next(done + 1, record)) put();
    snapshot.keep();
    return taken;
}

}  // namespace db
