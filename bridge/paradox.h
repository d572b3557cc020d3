// The Paradox bridge: the working database's connection string, table discovery, the import
// of one Paradox table into the working database and its write-back.
#pragma once
#include <filesystem>
#include <map>
#include <functional>
#include <string>

#include "bridge/edit_session.h"
#include "bridge/if_null.h"
#include "bridge/path_text.h"
#include "bridge/table_import.h"
#include "bridge/table_list.h"
#include "platform/shell/app_context.h"
#include "platform/shell/progress.h"

namespace vts {

// folder + "/dbTemp.mdb" (the data folder of AppContext::dataHome()), with an empty password.
std::string WorkingConnectionString(const std::filesystem::path& folder);

// True when the working database holds a base table of that name (letter case ignored); the
// working table of a Paradox table is named by WorkingTableName (bridge/edit_session.h).
bool WorkingTableExists(AppContext& ctx, const std::string& name);
// True when the working table of that name was edited since its import and the edits have not
// been written back: importing the table again would discard them.
bool WorkingTableHasUnsavedEdits(AppContext& ctx, const std::string& name);
// True when the working table is there but its import stopped before the last row (the
// program ended while the rest was being copied).
bool WorkingTableCutShort(AppContext& ctx, const std::string& working);
// Drops a working table with its unsaved edits (nothing when it is not there).
void DiscardWorkingTable(AppContext& ctx, const std::string& working);
// The Paradox tables (folder and name) whose working tables hold edits not yet written back.
struct TableOfEdits {
    std::string folder, name;
};
std::vector<TableOfEdits> TablesWithUnsavedEdits(AppContext& ctx);
// Password protection of the Paradox table `name` in `folder`: whether it has one, and whether
// `password` is its password. Throw vts::Error when the table cannot be read.
bool TableIsPasswordProtected(const std::string& folder, const std::string& name);
bool IsTablePassword(const std::string& folder, const std::string& name, const std::string& password);
// True when the Paradox folder itself (not its sub-folders) holds a file matching "*.db".
bool FolderHasParadoxTables(AppContext& ctx);

// Lists every *.db table in and below the Paradox folder as an upper-case table name, with the
// folder it was found in. Runs under its own error trap.
void AddTablesToParadoxListbox(AppContext& ctx, TableList& list);

// Copies the Paradox table `name` of `folder` (the Paradox folder or a folder below it, as
// discovery found it) into the working table of the same name, replacing it.
// Throws on failure; rows inserted before a failure stay in the working table.
// `password` opens a password-protected table; it is used for this import only, never kept.
void ImportParadoxTable(AppContext& ctx, const std::string& name, const std::string& folder,
                        const Progress& progress = {}, const std::string& password = {});
// The same for a table of the Paradox folder itself.
inline void ImportParadoxTable(AppContext& ctx, const std::string& name, const Progress& progress = {}) {
    ImportParadoxTable(ctx, name, ctx.folderText(), progress);
}

// What the write-back asks of the grid page.
struct WriteBackHooks {
    std::function<void()> releaseGrid;       // unbinds the grid from the working table once written
    std::function<void()> setWriteBackDone;  // sets the write-back done flag
    // Test hook: called before every write of the new Paradox table; throwing simulates an
    // I/O error.
    std::function<void()> beforeWrite;
    // Rows written of rows to write, now and then while the new table is written.
    std::function<void(long done, long total)> progress;
};

// Replaces the Paradox table `name` of `folder` with its working table, then drops that. A table
// without edits is left untouched. Throws on failure, vts::TableChanged when someone saved the
// Paradox table since its import (nothing is written over theirs); the edits then stay in the
// working table, the grid stays bound, and a later call can complete the write-back.
void WriteBackTable(AppContext& ctx, const std::string& name, const std::string& folder, const WriteBackHooks& hooks);

// Writes the working table of `name` as a new Paradox table in `folder`, under the first free
// name of NAME_2, NAME_3 ..., then drops it; returns that name. For edits that cannot go over a
// table someone else saved meanwhile.
std::string WriteBackTableAsNew(AppContext& ctx, const std::string& name, const std::string& folder);

// WriteBackTable, then ends the program through ctx.endProgram().
void SaveTableToParadox(AppContext& ctx, const std::string& name, const std::string& folder,
                        const WriteBackHooks& hooks);
// The same for a table of the Paradox folder itself.
inline void SaveTableToParadox(AppContext& ctx, const std::string& name, const WriteBackHooks& hooks) {
    SaveTableToParadox(ctx, name, ctx.folderText(), hooks);
}

}  // namespace vts
