#include "platform/xlsx/stale_folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

#include "platform/shell/temp_folder.h"
#include "platform/xlsx/private_folder.h"

namespace vts::xlsx {

namespace fs = std::filesystem;

namespace {

// "vts-sheet-" and the six characters mkdtemp puts in place of XXXXXX.
bool isSheetFolderName(const std::string& name) {
    const size_t prefix = std::strlen(kSheetFolderPrefix);
    return name.size() == prefix + 6 && name.compare(0, prefix, kSheetFolderPrefix) == 0 &&
           std::all_of(name.begin() + static_cast<long>(prefix), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

std::string linkTarget(const fs::path& link) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(link, ec);
    return ec ? std::string() : target.string();
}

// Every path that a process we may look at has open, or works in. Processes of other users
// are hidden from us, and they cannot enter our folders (mode 0700) anyway.
std::set<std::string> pathsInUse() {
    std::set<std::string> paths;
    std::error_code ec;
    for (fs::directory_iterator proc("/proc", ec), end; !ec && proc != end; proc.increment(ec)) {
        const std::string pid = proc->path().filename().string();
        if (pid.empty() || !std::all_of(pid.begin(), pid.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
        paths.insert(linkTarget(proc->path() / "cwd"));
        std::error_code fdError;
        for (fs::directory_iterator fd(proc->path() / "fd", fdError), fdEnd; !fdError && fd != fdEnd;
             fd.increment(fdError))
            paths.insert(linkTarget(fd->path()));
    }
    return paths;
}

bool inUse(const std::set<std::string>& paths, const std::string& folder) {
    const std::string inside = folder + "/";
    auto it = paths.lower_bound(folder);
    for (; it != paths.end() && it->compare(0, folder.size(), folder) == 0; ++it)
        if (*it == folder || it->compare(0, inside.size(), inside) == 0 ||
            it->compare(folder.size(), std::string::npos, " (deleted)") == 0)
            return true;
    return false;
}

bool isOurOldFolder(const fs::path& path, std::chrono::seconds grace) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
    const auto changed = std::chrono::system_clock::from_time_t(st.st_mtime);
    return std::chrono::system_clock::now() - changed > grace;
}

}  // namespace

size_t RemoveStaleSheetFolders(const std::string& base, std::chrono::seconds grace) noexcept {
    try {
        std::vector<std::string> candidates;
        std::error_code ec;
        for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
            if (!isSheetFolderName(it->path().filename().string()) || !isOurOldFolder(it->path(), grace)) continue;
            std::error_code pathError;
            const fs::path real = fs::canonical(it->path(), pathError);  // as /proc shows paths
            if (!pathError) candidates.push_back(real.string());
        }
        if (candidates.empty()) return 0;
        const auto used = pathsInUse();
        size_t removed = 0;
        for (const auto& folder : candidates) {
            if (inUse(used, folder)) continue;
            RemoveSheetFolder(folder);
            if (!fs::exists(folder, ec)) ++removed;
        }
        return removed;
    } catch (...) {
        return 0;  // a cleanup never stands in the way of an export or a start
    }
}

size_t RemoveStaleSheetFolders() noexcept {
    try {
        return RemoveStaleSheetFolders(TempFolder());
    } catch (...) {
        return 0;
    }
}

}  // namespace vts::xlsx
