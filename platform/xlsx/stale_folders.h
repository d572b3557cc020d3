// The folders that earlier exports left for the spreadsheet program. The program cannot tell us
// when it has read its workbook, so a folder goes at a later export or program start, once it is
// old enough that the program has started and no process of ours still has a file in it open.
#pragma once
#include <chrono>
#include <cstddef>
#include <string>

namespace vts::xlsx {

// Long enough for a spreadsheet program to start cold and open the file; while it is still
// reading, the open file keeps the folder anyway.
inline constexpr std::chrono::seconds kSheetFolderGrace = std::chrono::minutes(10);

// Removes the "vts-sheet-XXXXXX" folders under base that belong to this user, were last changed
// more than grace ago, and hold no file that a process open (nor any process's working folder).
// Never throws: a folder that cannot be removed is tried again next time. Returns how many went.
size_t RemoveStaleSheetFolders(const std::string& base, std::chrono::seconds grace = kSheetFolderGrace) noexcept;

// The same under TempFolder(), where the exports put them: for the program's start.
size_t RemoveStaleSheetFolders() noexcept;

}  // namespace vts::xlsx
