// Breadth-first folder scan, file listing and path tests of the Paradox bridge (Linux file system).
#pragma once
#include <string>
#include <vector>

#include "platform/shell/app_context.h"

namespace vts {

// Ordered folder paths, each ending in '/'.
using FolderList = std::vector<std::string>;

// Extends folders with every folder below them, level by level. Unreadable folders are
// removed from the list; unusual names and folders we must not descend are skipped;
// symbolic-link cycles never loop. Yields to the UI per folder; reports other errors
// under the "Pellmoor" tag.
void GetSubDirectories2016(FolderList& folders, bool recurse, AppContext& ctx);

// File names (not folders) in folder matching pattern, letter case ignored ("*.db" finds X.DB).
// The result is 1-based as the callers loop it: names[1..ubound]; ubound() == 0 when none matched.
class FileNameArray {
public:
    int ubound() const { return static_cast<int>(names_.size()) - 1; }
    const std::string& operator[](int i) const { return names_.at(static_cast<size_t>(i)); }
    int capacity() const { return capacity_; }  // allocated upper bound (grows 100, 150, 200 ...)
    std::vector<std::string> names_ = {""};
    int capacity_ = 0;
};
FileNameArray ListFiles(const std::string& folder, const std::string& pattern);

bool IsExistingFile(const std::string& path);   // an openable regular file
bool DirectoryExists(const std::string& path);  // a directory (links followed)
bool HasUnusualCharacters(const std::string& name);  // UTF-8 name; code points 0-31, 127-159, '?'

}  // namespace vts
