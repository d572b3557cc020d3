// The way out of a save cut short whose journal recovery cannot use (damaged, of another version,
// or naming files it cannot place): the table as it was before that save (or after it, when it had
// finished), told by file names.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace pdx {

// Every set-aside file of the table returns to its name. A save installs its files only once all
// old ones are set aside, so when a name is taken, every family file in place is that save's: they
// are kept under ".vts-kept-..." names beside it, as is the journal. Set-aside files without the
// .db are what a finished save had still to remove: they are kept that way, the table in place
// stays. Nothing is deleted. Returns what it did (with dryRun, what it would do). Throws Error,
// changing nothing, when there are two set-aside copies of one file, or while another writer
// holds the table.
std::vector<std::string> undoByNames(const std::filesystem::path& dir, const std::string& name, bool dryRun);

}  // namespace pdx
