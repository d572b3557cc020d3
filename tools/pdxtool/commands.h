// The pdxtool sub-commands; each throws pdx::Error (or std::exception) on failure.
#pragma once
#include <filesystem>
#include <iosfwd>
#include <string>

#include "platform/pdx/read/reader.h"

namespace pdxtool {

// `unlock` opens password-protected tables (--password).
void runInfo(const std::filesystem::path& table, const pdx::Unlock& unlock, std::ostream& out);
// format: "csv" or "json"
void runDump(const std::filesystem::path& table, const pdx::Unlock& unlock, const std::string& format,
             std::ostream& out);
// A protected source gives a copy protected with the same password.
void runCopy(const std::filesystem::path& source, const pdx::Unlock& unlock, const std::filesystem::path& destination);
// Prints each fault and note of the table's family on one line, then a summary line; returns
// true when there is no fault. Faults in the files are printed, not thrown.
bool runCheck(const std::filesystem::path& table, const pdx::Unlock& unlock, std::ostream& out);

// Settles each table of `folder` whose save was cut short, as opening it would (with `undo`: puts
// back the table as it was before that save, by file names, for a journal recovery cannot use),
// one line per table; with dryRun only says what it would do. True when nothing is left to settle.
bool runRecover(const std::filesystem::path& folder, bool undo, bool dryRun, std::ostream& out);

}  // namespace pdxtool
