// The import of a Paradox table into a working table of any name: the grid's working table, or
// a fresh copy of the table as someone else saved it, to carry edits into.
#pragma once
#include <memory>
#include <string>

#include "bridge/import_tail.h"

#include "platform/shell/app_context.h"
#include "platform/shell/progress.h"

namespace vts {

// ImportParadoxTable into the working table `target` (a "vts/..." name keeps it out of every
// list of tables).
void ImportParadoxTableAs(AppContext& ctx, const std::string& name, const std::string& folder,
                          const std::string& target, const Progress& progress = {}, const std::string& password = {});

// The import of the Paradox table `name` into `target` in two parts: the first `rowsNow` rows
// here, and the rest by the tail returned (null when every row is in), so that the grid can show
// and edit the first ones meanwhile.
std::unique_ptr<ImportTail> StartParadoxImport(AppContext& ctx, const std::string& name, const std::string& folder,
                                               const std::string& target, long rowsNow, const Progress& progress = {},
                                               const std::string& password = {});

// Goes on with an import of `name` into `target` that was cut short (the program ended before its
// last row), keeping the rows there and the edits in them: up to `rowsNow` rows here, the rest
// by the tail returned. Null when there is nothing to go on with. Throws vts::Error when the
// Paradox table changed since the import began, so its rows no longer follow those copied.
std::unique_ptr<ImportTail> ResumeParadoxImport(AppContext& ctx, const std::string& name, const std::string& folder,
                                                const std::string& target, long rowsNow, const Progress& progress = {},
                                                const std::string& password = {});

}  // namespace vts
