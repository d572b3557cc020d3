// The entries of each secondary index against the table's records: every record has exactly
// one entry with its values, key and block number, and the entries are in the index's order
// where that order is known. Uses the secondary index reader for the definitions and entries.
#pragma once
#include <filesystem>
#include <vector>

#include "platform/pdx/check/check_chain.h"
#include "platform/pdx/check/check_findings.h"
#include "platform/pdx/check/check_secondary.h"

namespace pdx {

// An index table (.Xnn/.XGn) whose structure checked clean, with its chain.
struct SoundEntryFile {
    std::filesystem::path file;
    std::vector<CheckedBlock> chain;
};

void checkSecondaryEntries(const SecondaryCheckInput& in, const std::vector<SoundEntryFile>& sound, CheckFindings& out);

}  // namespace pdx
