// What the folder scan must not descend on Linux, and the memory that stops it looping.
//
// The scan's "hidden + system folder" test (attribute values 22 and 1046) has no direct
// equivalent here. A folder we must not descend is:
//   - a mount of a pseudo file system (proc, sysfs, devpts, cgroup, debugfs, tracefs, ...),
//     checked with statfs' f_type;
//   - a trash or lost-and-found folder: "lost+found", ".Trash", ".Trash-<uid>";
//   - a symbolic link to a folder inside, equal to or above a folder the scan started from
//     (other than those folders themselves): the tree is reached through its real path, and
//     a link upwards would loop.
// The root folder "/" is searched even so. Hidden means a name starting with '.', and such
// folders are scanned like any other.
#pragma once
#include <sys/types.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vts {

class FolderGuard {
public:
    // roots: the folder list the scan starts from; their real paths bound the link test.
    explicit FolderGuard(const std::vector<std::string>& roots);

    bool mustNotDescend(const std::string& folder) const;
    // True the first time a folder (device, inode) is seen; false again, or when it
    // cannot be identified.
    bool firstVisit(const std::string& folder);

private:
    bool isLinkIntoScan(const std::string& folder) const;

    std::vector<std::string> roots_;      // as given, without trailing '/'
    std::vector<std::string> realRoots_;  // their real paths
    std::set<std::pair<dev_t, ino_t>> visited_;
};

// "/" (however many slashes): the one folder searched whatever the tests above say.
bool IsRootFolder(const std::string& folder);

}  // namespace vts
