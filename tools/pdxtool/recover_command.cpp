// pdxtool recover: settles by hand the saves a crash or an error cut short in one folder.
#include <ostream>

#include "platform/pdx/replace/table_replace.h"
#include "platform/pdx/replace/undo_by_names.h"
#include "tools/pdxtool/commands.h"

namespace pdxtool {

bool runRecover(const std::filesystem::path& folder, bool undo, bool dryRun, std::ostream& out) {
    bool settled = true;
    const auto tables = pdx::leftoverTables(folder);
    if (tables.empty()) out << folder.string() << ": no save was cut short here\n";
    for (const auto& name : tables) {
        try {
            if (undo) {
                for (const auto& step : pdx::undoByNames(folder, name, dryRun))
                    out << name << ": " << (dryRun ? "[dry run] " : "") << step << "\n";
                continue;
            }
            const std::string plan = pdx::recoveryPlan(folder, name);
            out << name << ": " << (dryRun ? "[dry run] " : "") << plan << "\n";
            if (dryRun) continue;
            pdx::recoverTable(folder, name);
            settled = settled && !pdx::replacementLeftovers(folder, name);
        } catch (const std::exception& e) {
            out << name << ": " << e.what() << "\n";
            settled = false;
        }
    }
    return settled;
}

}  // namespace pdxtool
