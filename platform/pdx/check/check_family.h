// The files of a table family as a check sees them: found or not, and opened together under the
// family's shared lock, so the check reads one generation of the family even if it is replaced
// meanwhile.
#pragma once
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/pdx/check/check_findings.h"
#include "platform/pdx/io/input_file.h"

namespace pdx {

struct CheckedFile {
    std::filesystem::path path;  // as found; the expected name when it is missing
    bool found = false;
    std::optional<InputFile> file;  // open when found and readable
};

struct CheckFamily {
    CheckedFile db;
    CheckedFile mb;
    CheckedFile px;
    std::vector<CheckedFile> secondary;  // .Xnn .XGn .Ynn .YGn, in name order
};

// Finds and opens the family of dbFile; a file that is there but cannot be opened is a fault.
CheckFamily openCheckFamily(const std::filesystem::path& dbFile, CheckFindings& out);

// The extension of a file's name without the dot, upper-cased ("X06").
std::string upperExtension(const std::filesystem::path& file);

}  // namespace pdx
