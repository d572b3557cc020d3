// Carries out "select top N * into [Paradox 5.x;Database=FOLDER].[NAME.db] from [NAME]": writes
// the working table's first N rows as the Paradox table NAME.db.
#include "platform/db/select_into.h"

#include <algorithm>

#include "platform/db/paradox_schema.h"
#include "platform/db/source_structure.h"
#include "platform/db/sql_tokens.h"
#include "platform/db/stored_values.h"
#include "platform/pdx/family.h"
#include "platform/pdx/reader.h"
#include "platform/pdx/writer.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

namespace fs = std::filesystem;

// Where an original of the given extension went in the aside set.
std::optional<fs::path> asideFile(const pdx::AsideSet& set, const std::string& extension) {
    for (const auto& [original, aside] : set.moves)
        if (equalsNoCase(original.extension().string(), extension)) return aside;
    return std::nullopt;
}

// What the new table carries over from the one it replaces: its autoincrement counter, and its
// .VAL, which stays valid only for the same fields and the table stamp it was made for.
void carryOver(const pdx::AsideSet& set, const pdx::Schema& schema, bool sameFields, pdx::WriterOptions& options) {
    const auto oldDb = asideFile(set, ".DB");
    if (!oldDb) return;
    try {
        const pdx::TableReader old(*oldDb);
        const auto& fields = schema.fields;
        if (std::any_of(fields.begin(), fields.end(), [](const pdx::Field& f) { return f.type == pdx::FieldType::AutoInc; }))
            options.autoIncFloor = old.info().autoIncCounter;
        const auto val = asideFile(set, ".VAL");
        if (!sameFields || !val || old.info().schema.fields != schema.fields) return;
        options.keepVal = *val;
        options.changeCount2 = old.info().changeCount2;
    } catch (const pdx::Error&) {
        // An unreadable old table hands nothing on; the new table is still written.
    }
}

void writeRows(const SqliteDb& db, const WorkingTable& table, const SelectInto& s, const pdx::Schema& schema,
               pdx::TableWriter& writer, const std::function<void(long)>& rowWritten) {
    pdx::Record record(schema.fields.size());
    long done = 0;
    forEachRow(db, table, s.top, [&](std::int64_t row, const Statement& st) {
        for (std::size_t i = 0; i < record.size(); ++i) {
            try {
                readParadoxValue(st, int(i), schema.fields[i].type, record[i]);
            } catch (const vts::Error& e) {
                throw vts::Error(rowFieldText(row, schema.fields[i].name, e.what()));
            }
        }
        writer.append(record);
        if (rowWritten) rowWritten(++done);
    });
}

std::string failureText(const SelectInto& s, const std::string& why) {
    return "The table " + s.target + ".db could not be written into \"" + s.folder + "\": " + why;
}

// Puts the set-aside family back at once; a failure to do so is added to the report.
[[noreturn]] void restoreAndThrow(const std::optional<pdx::AsideSet>& aside, const std::string& message) {
    if (aside) {
        try {
            pdx::restore(*aside);
        } catch (const std::exception& e) {
            throw vts::Error(message + " The earlier table could not be put back: " + e.what());
        }
    }
    throw vts::Error(message);
}

}  // namespace

void selectInto(const SqliteDb& db, const SelectInto& s, const WriteHooks& hooks) {
    std::error_code ec;
    if (!fs::is_directory(s.folder, ec)) throw vts::Error("The Paradox folder \"" + s.folder + "\" does not exist.");
    std::optional<pdx::AsideSet> aside;
    try {
        if (auto existing = pdx::findTable(s.folder, s.target))
            throw vts::Error("The table " + existing->filename().string() + " is still in \"" + s.folder +
                             "\"; it is not overwritten. Drop it first.");
        aside = pdx::findAside(s.folder, s.target);
    } catch (const pdx::Error& e) {
        throw vts::Error(failureText(s, e.what()));
    }
    try {
        const auto table = WorkingTable::describe(db, s.source);
        const auto recorded = readStructure(db, s.source);
        const bool sameFields = recorded && matchesRecorded(table, *recorded);
        const pdx::Schema schema = sameFields ? *recorded : deriveSchema(db, table, s.top);
        pdx::WriterOptions options;
        options.beforeWrite = hooks.beforeWrite;
        if (aside) carryOver(*aside, schema, sameFields, options);
        pdx::TableWriter writer(s.folder, s.target, schema, options);
        writeRows(db, table, s, schema, writer, hooks.rowWritten);
        writer.finish();
        writer.install();
    } catch (const std::exception& e) {
        restoreAndThrow(aside, failureText(s, e.what()));
    }
    if (!aside) return;
    try {
        pdx::drop(*aside);
    } catch (const std::exception& e) {
        throw vts::Error("The table " + s.target + ".db was written, but the files of the earlier table could not be "
                         "removed: " + std::string(e.what()));
    }
}

}  // namespace db
