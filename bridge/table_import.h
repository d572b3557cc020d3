// The import of a Paradox table into a working table of any name: the grid's working table, or
// a fresh copy of the table as someone else saved it, to carry edits into.
#pragma once
#include <string>

#include "platform/shell/app_context.h"
#include "platform/shell/progress.h"

namespace vts {

// ImportParadoxTable into the working table `target` (a "vts/..." name keeps it out of every
// list of tables).
void ImportParadoxTableAs(AppContext& ctx, const std::string& name, const std::string& folder,
                          const std::string& target, const Progress& progress = {}, const std::string& password = {});

}  // namespace vts
