// Probes whether a path names a file or a folder; they never report errors, only false.
#pragma once
#include <string>

namespace vts {

// True for a regular file (links followed) that can be opened without read or write
// access: an existing file we may not read still counts, as it exists.
bool IsExistingFile(const std::string& path);

// True for a directory (links followed); any error gives false.
bool DirectoryExists(const std::string& path);

}  // namespace vts
