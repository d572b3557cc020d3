// The Paradox folder as a data source: reads a table; its DROP TABLE readies a replacement.
#include "platform/db/paradox_provider.h"

#include <algorithm>

#include "platform/db/paradox_cursor.h"
#include "platform/db/statement_forms.h"
#include "platform/pdx/family.h"
#include "platform/pdx/table_replace.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

const char* const kOnlyThese =
    "The Paradox folder connection carries out only SELECT * FROM `name` (as a record set) and "
    "DROP TABLE `name`: \"";

}  // namespace

void requireParadoxFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_directory(folder, ec))
        throw vts::Error("The Paradox folder \"" + folder.string() + "\" does not exist.");
}

std::unique_ptr<Cursor> openParadoxTable(const std::filesystem::path& folder, const std::string& name) {
    std::optional<std::filesystem::path> file;
    try {
        pdx::recoverTable(folder, name);  // a replacement a crash cut short is settled first
        file = pdx::findTable(folder, name);
    } catch (const pdx::Error& e) {
        throw vts::Error(e.what());
    }
    if (!file)
        throw vts::Error("The table \"" + name + "\" does not exist in the Paradox folder \"" + folder.string() + "\".");
    return std::make_unique<ParadoxCursor>(*file);
}

ParadoxProvider::ParadoxProvider(std::filesystem::path folder) : folder_(std::move(folder)) {
    requireParadoxFolder(folder_);
}

void ParadoxProvider::execute(const std::string& sql) {
    const auto statement = singleStatement(sql);
    if (auto name = db::dropTable(statement)) return dropTable(*name);
    throw vts::Error(kOnlyThese + sql + "\"");
}

// Dropping a Paradox table only to write it anew is one replacement: the files stay in place
// until the next write of that name (SELECT ... INTO) replaces the whole family in one step, so
// no failure or crash in between can leave the folder without the table.
void ParadoxProvider::dropTable(const std::string& name) {
    try {
        if (pdx::findTable(folder_, name)) return;
    } catch (const pdx::Error& e) {
        throw vts::Error(e.what());
    }
    throw vts::Error("The table \"" + name + "\" does not exist in the Paradox folder \"" + folder_.string() + "\".");
}

std::unique_ptr<Cursor> ParadoxProvider::open(const std::string& source, const OpenOptions&) {
    const auto name = selectAllFrom(singleStatement(source));
    if (!name) throw vts::Error(kOnlyThese + source + "\"");
    return openParadoxTable(folder_, *name);
}

std::unique_ptr<Cursor> ParadoxProvider::tables() {
    std::vector<std::string> names;
    try {
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            const auto& p = entry.path();
            if (entry.is_regular_file() && upper(p.extension().string()) == ".DB") names.push_back(p.stem().string());
        }
    } catch (const std::filesystem::filesystem_error& e) {
        throw vts::Error("The Paradox folder \"" + folder_.string() + "\" cannot be listed: " + e.what());
    }
    std::sort(names.begin(), names.end());
    std::vector<std::vector<Variant>> rows;
    for (auto& n : names) rows.push_back({n, std::string("TABLE")});
    return std::make_unique<RowsCursor>(std::vector<ColumnInfo>{{"TABLE_NAME", 202}, {"TABLE_TYPE", 202}},
                                        std::move(rows));
}

}  // namespace db
