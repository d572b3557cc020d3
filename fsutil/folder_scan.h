// Breadth-first folder scan of the Paradox bridge on the Linux file system; the file listing
// and path tests it builds on come along, as the bridge uses them together.
#pragma once
#include <string>
#include <vector>

#include "fsutil/list_files.h"
#include "fsutil/path_tests.h"
#include "fsutil/unusual_chars.h"
#include "platform/shell/app_context.h"

namespace vts {

// Ordered folder paths, each ending in '/'.
using FolderList = std::vector<std::string>;

// Paths and names of this many characters or more are skipped.
inline constexpr std::size_t kMaxPathLength = 260;

// Extends folders with every folder below them, level by level: all children of the first
// entry, then of the second, ..., then the grandchildren in the same order. Within one
// folder, sub-folders come in the order the file system lists them.
// Entries that cannot be listed (permission denied, not found) are removed from the list;
// unusual names and folders we must not descend (see folder_guard.h) are skipped; a folder
// reached twice (links, bind mounts) is listed once, so link cycles never loop. Yields to the
// UI per folder and per sub-folder; other errors show the error report under the "Pellmoor"
// tag and the scan goes on.
void GetSubDirectories2016(FolderList& folders, bool recurse, AppContext& ctx);

}  // namespace vts
