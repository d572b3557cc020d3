#include "platform/db/paradox_table.h"

#include "platform/db/paradox_cursor.h"
#include "platform/db/read_ahead_cursor.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/io/family_lock.h"
#include "platform/pdx/replace/table_replace.h"
#include "platform/shell/errors.h"

namespace db {

void requireParadoxFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_directory(folder, ec))
        throw vts::Error("The Paradox folder \"" + folder.string() + "\" does not exist.");
}

std::unique_ptr<Cursor> openParadoxTable(const std::filesystem::path& folder, const std::string& name,
                                         const std::string& password) {
    requireParadoxFolder(folder);
    pdx::recoverTable(folder, name);  // a replacement a crash cut short is settled first
    // A replacement renames the files while it holds this lock alone: looked for under it, the
    // table is never missed between its old files and its new ones.
    const pdx::FamilyLock files(folder, name, pdx::FamilyLock::Kind::Files, pdx::FamilyLock::Mode::Shared,
                                std::chrono::seconds(10));
    const std::optional<std::filesystem::path> file = pdx::findTable(folder, name);
    if (!file && pdx::replacementLeftovers(folder, name))
        throw vts::Error("The table \"" + name + "\" in the Paradox folder \"" + folder.string() +
                         "\" was being saved when that was cut short, and it can be put right only by someone who "
                         "may change the folder: ask them to open the table once.");
    if (!file)
        throw vts::Error("The table \"" + name + "\" does not exist in the Paradox folder \"" + folder.string() +
                         "\".");
    return std::make_unique<ReadAheadCursor>(std::make_unique<ParadoxCursor>(*file, pdx::Unlock{password, false}));
}

}  // namespace db
