// What a Paradox table says about its columns beyond their types, for the grid that edits it.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/pdx/read/validity_checks.h"

namespace vts {

struct TableFacts {
    // Column -> why its values must stay as they are (its key or an index under a sort order
    // the engine cannot reproduce).
    std::map<std::string, std::string> keptFields;
    std::int64_t lastNumber = 0;  // the highest autoincrement number the table has handed out
    // Column -> the table's validity check of it; and what of its checks the grid does not enforce.
    std::map<std::string, pdx::FieldCheck> checks;
    std::vector<std::string> checksNotEnforced;
};

// The facts of the Paradox table `name` in `folder`; none when it cannot be read (the
// write-back refuses what it could not place anyway).
TableFacts ParadoxTableFacts(const std::string& folder, const std::string& name);

}  // namespace vts
