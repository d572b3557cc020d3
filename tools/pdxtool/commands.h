// The pdxtool sub-commands; each throws pdx::Error (or std::exception) on failure.
#pragma once
#include <filesystem>
#include <iosfwd>
#include <string>

namespace pdxtool {

void runInfo(const std::filesystem::path& table, std::ostream& out);
// format: "csv" or "json"
void runDump(const std::filesystem::path& table, const std::string& format, std::ostream& out);
void runCopy(const std::filesystem::path& source, const std::filesystem::path& destination);
// Prints each fault and note of the table's family on one line, then a summary line; returns
// true when there is no fault. Faults in the files are printed, not thrown.
bool runCheck(const std::filesystem::path& table, std::ostream& out);

}  // namespace pdxtool
