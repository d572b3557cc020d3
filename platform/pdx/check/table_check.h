// Verifies a table family (.db, .MB, .PX, secondary indexes) without trusting any of it, and
// lists every fault with its place: what `pdxtool check` prints when a table will not open.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/pdx/check/check_findings.h"

namespace pdx {

struct TableCheckResult {
    std::vector<CheckFinding> findings;        // faults and notes, in the order found
    std::size_t faults = 0;                    // all faults, also those beyond the listing's limit
    std::uint64_t records = 0;                 // records found along the block chain
    std::uint32_t blocks = 0;                  // blocks in the chain
    std::vector<std::filesystem::path> files;  // the family files that were looked at
    bool passwordProtected = false;            // the records and indexes could not be checked (no or a wrong password)

    bool clean() const { return faults == 0; }
};

// Checks the table dbFile and its companions; `password` (UTF-8) opens a password-protected one.
// Faults in the files (and a file that cannot be opened) are returned, never thrown.
TableCheckResult checkTable(const std::filesystem::path& dbFile, const std::string& password = {});

}  // namespace pdx
