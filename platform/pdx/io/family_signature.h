// What a table family is right now, as a short text: each file's kind, size and modification
// time, and a checksum of the .db. Two equal signatures mean no one has saved the table in
// between, so an edit session can tell whether the table it replaces is the one it imported.
#pragma once
#include <filesystem>
#include <string>

namespace pdx {

// Empty when the folder holds no such table. Throws pdx::Error when a file cannot be read.
std::string familySignature(const std::filesystem::path& dir, const std::string& name);
// Each file's kind, size, times and identity, without the checksum: a few calls, to see a save
// (or a file put in another's place) while a table is being read.
std::string familyStamp(const std::filesystem::path& dir, const std::string& name);

}  // namespace pdx
