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

}  // namespace pdxtool
