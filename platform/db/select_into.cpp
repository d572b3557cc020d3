// Writes a working table's first N rows as a Paradox table.
#include "platform/db/select_into.h"

#include <algorithm>
#include <future>
#include <optional>

#include "platform/db/paradox_schema.h"
#include "platform/db/source_structure.h"
#include "platform/shell/ascii_case.h"
#include "platform/db/paradox_values.h"
#include "platform/db/read_ahead_cursor.h"
#include "platform/db/untouched_rows.h"
#include "platform/pdx/io/family_signature.h"
#include "platform/pdx/read/reader.h"
#include "platform/pdx/read/secondary_index.h"
#include "platform/pdx/replace/table_replace.h"
#include "platform/pdx/write/writer.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

namespace fs = std::filesystem;

// What the new table carries over from the one it replaces: its level and block size, its
// autoincrement counter, its key order, its secondary indexes, and its .VAL, which stays valid only for the same fields
// and the table stamp it was made for. A table that cannot be read here cannot be carried over faithfully, so the write
// stops.
void carryOver(const pdx::TableReplacement& replace, const pdx::Schema& schema, bool sameFields,
               pdx::WriterOptions& options) {
    const auto oldDb = replace.oldFile("db");
    if (!oldDb) return;
    const pdx::TableReader old(*oldDb, {"", true});  // opened with its password by the import
    options.key = old.info().key;                    // protected again with the same password
    options.keyOrderFrom = *oldDb;
    // A level-3 header names no sort order: only its byte order (code 0) is written at that level.
    const bool named = old.info().versionByte >= 0x05 || old.info().schema.sortOrder == 0;
    options.versionByte = named ? static_cast<std::uint8_t>(old.info().versionByte) : 0;
    options.blockSizeKiB = old.info().blockSizeKiB;
    options.secondaryIndexes = pdx::readSecondaryIndexes(*oldDb);
    const auto& fields = schema.fields;
    if (std::any_of(fields.begin(), fields.end(),
                    [](const pdx::Field& f) { return f.type == pdx::FieldType::AutoInc; }))
        options.autoIncFloor = old.info().autoIncCounter;
    const auto val = replace.oldFile("VAL");
    if (!sameFields || !val || old.info().schema.fields != schema.fields) return;
    options.keepVal = *val;
    options.changeCount2 = old.info().changeCount2;
}

// The working table's first rows as the values of the new table's fields.
class WorkingRows : public Cursor {
public:
    WorkingRows(const SqliteDb& db, const WorkingTable& table, const pdx::Schema& schema, std::int64_t top)
        : st_(db, firstRowsInOrder(table, top)), fields_(schema.fields), top_(top), values_(fields_.size()) {
        for (const auto& f : fields_) columns_.push_back({f.name, 0});
        onRow_ = st_.step();
    }
    bool eof() override { return !onRow_; }
    void moveNext() override {
        if (!onRow_) throw vts::Error("The table has been read to its end: there is no next row.");
        onRow_ = st_.step();
        ++row_;
    }
    std::int64_t recordCount() const override { return top_; }  // at most
    const pdx::Value& value(int column) override {
        readValue(column, values_.at(static_cast<std::size_t>(column)));
        return values_[static_cast<std::size_t>(column)];
    }
    void readValue(int column, pdx::Value& out) override {  // straight into the batch ahead
        readFieldOfRow(st_, column, fields_.at(static_cast<std::size_t>(column)), row_, out);
    }

private:
    Statement st_;
    const std::vector<pdx::Field> fields_;
    const std::int64_t top_;
    std::vector<pdx::Value> values_;
    std::int64_t row_ = 1;
    bool onRow_ = false;
};

// The rows are read out of SQLite and decoded on the other core, a few batches ahead of the
// writer, which encodes and writes the rows before them. The connection is the reading
// thread's alone until the rows are written.
void writeWorkingRows(const SqliteDb& db, const WorkingTable& table, const SelectInto& s, const pdx::Schema& schema,
                      pdx::TableWriter& writer, const std::function<void(long)>& rowWritten) {
    ReadAheadCursor rows(std::make_unique<WorkingRows>(db, table, schema, s.top));
    long done = 0;
    for (; !rows.eof(); rows.moveNext()) {
        writer.append(rows.row());
        if (rowWritten) rowWritten(++done);
    }
}

// The rows the session did not touch come from the table in place while it is the one imported;
// otherwise every row comes from the working table. True when the table in place gave rows.
bool writeRows(SqliteDb& db, const WorkingTable& table, const SelectInto& s, const pdx::Schema& schema, bool sameFields,
               const std::optional<fs::path>& inPlace, pdx::TableWriter& writer,
               const std::function<void(long)>& rowWritten) {
    if (sameFields && inPlace && !s.expected.empty())
        if (const auto taken = writeUntouchedFromSource(db, table, schema, *inPlace, s.top, writer, rowWritten))
            return *taken > 0;
    writeWorkingRows(db, table, s, schema, writer, rowWritten);
    return false;
}

// Whether the table in place is still the one imported: its whole .db is read for that on the
// other core while the new table is written, and its files' sizes and times are looked at once
// more when the rows are written, so that a save meanwhile is seen too.
class TableInPlace {
public:
    explicit TableInPlace(const SelectInto& s)
        : s_(s), stamp_(stampNow()), signature_(std::async(std::launch::async, [&s] {
              return s.expected.empty() ? std::string() : pdx::familySignature(s.folder, s.target);
          })) {}

    // Throws vts::TableChanged when it is not. A table gone meanwhile holds no one's changes: the
    // edits take its place, unless rows were taken from it, which must then have been that table.
    void require(bool rowsTaken) {
        const std::string signature = signature_.get(), stamp = stampNow();
        if ((!signature.empty() || rowsTaken) && signature != s_.expected) throw changed();
        if ((!stamp.empty() || rowsTaken) && stamp != stamp_) throw changed();
    }

private:
    std::string stampNow() const {
        return s_.expected.empty() ? std::string() : pdx::familyStamp(s_.folder, s_.target);
    }
    vts::TableChanged changed() const {
        return vts::TableChanged("The table " + s_.target + " in \"" + s_.folder +
                                 "\" was saved by someone else since it was opened here, so it was not "
                                 "written over: their changes are in it, yours are kept here.");
    }

    const SelectInto& s_;
    const std::string stamp_;
    std::future<std::string> signature_;
};

std::string failureText(const SelectInto& s, const std::string& why) {
    return "The table " + s.target + ".db could not be written into \"" + s.folder + "\": " + why;
}

}  // namespace

std::vector<std::string> selectInto(SqliteDb& db, const SelectInto& s, const WriteHooks& hooks) {
    std::error_code ec;
    if (!fs::is_directory(s.folder, ec)) throw vts::Error("The Paradox folder \"" + s.folder + "\" does not exist.");
    try {
        const auto table = WorkingTable::describe(db, s.source);
        const auto recorded = readStructure(db, s.source);
        const bool sameFields = recorded && matchesRecorded(table, *recorded);
        const pdx::Schema schema = sameFields ? *recorded : deriveSchema(db, table, s.top);
        pdx::TableReplacement replace(s.folder, s.target, {hooks.beforeWrite});
        // Nothing replaces the table in place before the answer.
        TableInPlace inPlace(s);
        pdx::WriterOptions options;
        options.beforeWrite = hooks.beforeWrite;
        options.place = [&replace](const std::string& ext) { return replace.place(ext); };
        std::optional<pdx::TableWriter> writer;
        bool rowsTaken = false;
        try {
            carryOver(replace, schema, sameFields, options);
            writer.emplace(s.folder, s.target, schema, options);
            rowsTaken = writeRows(db, table, s, schema, sameFields, replace.oldFile("db"), *writer, hooks.rowWritten);
            writer->finish();
        } catch (...) {
            inPlace.require(false);  // a table saved by someone else is the news, as before
            throw;
        }
        inPlace.require(rowsTaken);
        replace.commit(*writer);
        std::vector<std::string> dropped;
        for (const auto& d : writer->droppedIndexes()) dropped.push_back("the index " + d.extension + ": " + d.reason);
        return dropped;
    } catch (const vts::TableChanged&) {
        throw;
    } catch (const std::exception& e) {
        throw vts::Error(failureText(s, e.what()));
    }
}

}  // namespace db
