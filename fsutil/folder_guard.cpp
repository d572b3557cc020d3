// The no-descend tests of FolderGuard; every probe that fails leaves a folder scannable,
// except the link test, which needs to read the link.
#include "fsutil/folder_guard.h"

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

namespace vts {
namespace {

namespace fs = std::filesystem;

// Magic numbers of kernel pseudo file systems (linux/magic.h lacks the last three).
constexpr std::array<unsigned long, 17> kPseudoFileSystems = {PROC_SUPER_MAGIC,
                                                              SYSFS_MAGIC,
                                                              DEVPTS_SUPER_MAGIC,
                                                              CGROUP_SUPER_MAGIC,
                                                              CGROUP2_SUPER_MAGIC,
                                                              DEBUGFS_MAGIC,
                                                              TRACEFS_MAGIC,
                                                              SECURITYFS_MAGIC,
                                                              PSTOREFS_MAGIC,
                                                              BPF_FS_MAGIC,
                                                              BINFMTFS_MAGIC,
                                                              EFIVARFS_MAGIC,
                                                              SELINUX_MAGIC,
                                                              NSFS_MAGIC,
                                                              0x62656570 /* configfs */,
                                                              0x65735543 /* fusectl */,
                                                              0x19800202 /* mqueue */};

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool isPseudoFileSystem(const std::string& folder) {
    struct statfs st {};
    if (::statfs(folder.c_str(), &st) != 0) return false;
    const auto type = static_cast<unsigned long>(st.f_type);
    return std::find(kPseudoFileSystems.begin(), kPseudoFileSystems.end(), type) != kPseudoFileSystems.end();
}

bool isTrashName(const std::string& name) {
    if (name == "lost+found" || name == ".Trash") return true;
    const std::string prefix = ".Trash-";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
    return std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// a lies inside b, or is b ("/x/y" in "/x", not "/xy" in "/x").
bool isWithin(const std::string& a, const std::string& b) {
    if (a == b || b == "/") return true;
    return a.size() > b.size() && a.compare(0, b.size(), b) == 0 && a[b.size()] == '/';
}

}  // namespace

FolderGuard::FolderGuard(const std::vector<std::string>& roots) {
    for (const auto& root : roots) {
        std::error_code ec;
        const fs::path real = fs::canonical(root, ec);
        if (!ec) realRoots_.push_back(real.string());
        roots_.push_back(withoutTrailingSlashes(root));
        firstVisit(root);
    }
}

bool FolderGuard::mustNotDescend(const std::string& folder) const {
    const std::string path = withoutTrailingSlashes(folder);
    const std::string name = fs::path(path).filename().string();
    return isTrashName(name) || isPseudoFileSystem(path) || isLinkIntoScan(path);
}

bool FolderGuard::isLinkIntoScan(const std::string& path) const {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return false;
    if (std::find(roots_.begin(), roots_.end(), path) != roots_.end()) return false;
    std::error_code ec;
    const std::string target = fs::canonical(path, ec).string();
    if (ec) return true;  // a link we cannot resolve is not worth following
    return std::any_of(realRoots_.begin(), realRoots_.end(),
                       [&](const std::string& root) { return isWithin(target, root) || isWithin(root, target); });
}

bool FolderGuard::firstVisit(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return false;
    return visited_.insert({st.st_dev, st.st_ino}).second;
}

bool IsRootFolder(const std::string& folder) {
    return !folder.empty() && folder.find_first_not_of('/') == std::string::npos;
}

}  // namespace vts
