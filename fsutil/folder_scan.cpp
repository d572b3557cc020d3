// GetSubDirectories2016: the labelled steps run under the error trap in the order of the
// scan's algorithm; only the sub-folder listing handles its own errors.
#include "fsutil/folder_scan.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "fsutil/folder_guard.h"
#include "platform/shell/error_trap.h"
#include "platform/shell/utf8_text.h"

namespace vts {
namespace {

namespace fs = std::filesystem;

// Error numbers of the listing that drop the folder from the list.
constexpr int kPermissionDenied = 70;
constexpr int kPathNotFound = 76;

int listingErrorNumber(const std::error_code& ec) {
    if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted) return kPermissionDenied;
    if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) return kPathNotFound;
    return 0;
}

bool acceptableName(const std::string& name) {
    return characterCount(name) < kMaxPathLength && !HasUnusualCharacters(name) &&
           name.find('?') == std::string::npos && name != "." && name != "..";
}

// The scan's attribute test: the root is always searched.
bool mayDescend(const std::string& folder, const FolderGuard& guard) {
    return IsRootFolder(folder) || !guard.mustNotDescend(folder);
}

// Steps 118-136: appends the acceptable sub-folders of entry to newList. Returns the error
// number that ended the listing, or 0.
int listSubFolders(const std::string& entry, FolderList& newList, FolderGuard& guard, AppContext& ctx) {
    // Entries end with '/'; one typed without it still gets proper child paths.
    const std::string prefix = entry.back() == '/' ? entry : entry + '/';
    std::error_code ec;
    try {
        fs::directory_iterator it(entry, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            std::error_code typeEc;
            if (!it->is_directory(typeEc)) continue;
            ctx.yieldToUi();
            const std::string name = it->path().filename().string();
            if (!acceptableName(name)) continue;
            const std::string child = prefix + name + "/";
            // A link into the scan is dropped by the attribute test later; counting it as
            // visited here would hide the real folder it points to.
            if (!guard.mustNotDescend(child) && !guard.firstVisit(child)) continue;
            newList.push_back(child);
        }
    } catch (...) {
        return 0;  // any other failure ends this listing silently
    }
    return ec ? listingErrorNumber(ec) : 0;
}

// Steps 138-148: drops the first entry equal to the unreadable folder.
void removeEntry(FolderList& folders, const std::string& entry) {
    const auto pos = std::find(folders.begin(), folders.end(), entry);
    if (pos != folders.end()) folders.erase(pos);
}

// A yes/no step under the trap: a step that fails answers no.
template <class F>
bool check(ErrorTrap& trap, int label, F&& test) {
    bool yes = false;
    trap.step(label, [&] { yes = test(); });
    return yes;
}

void scan(FolderList& folders, bool recurse, AppContext& ctx, FolderGuard& guard) {
    ErrorTrap trap(ctx.dialogs, errorTag("AddFolder", "GetSubDirectories2016", "Pellmoor"));
    // 100-104: an empty new list.
    FolderList newList;
    FolderList entries;
    // 106: every entry of the folder list, in order; a copy, as removals shift the list.
    trap.step(106, [&] { entries = folders; });
    for (const std::string& entry : entries) {
        if (!check(trap, 108, [&] { return DirectoryExists(entry); })) continue;
        if (!check(trap, 110, [&] { return characterCount(entry) < kMaxPathLength; })) continue;
        trap.step(114, [&] { ctx.yieldToUi(); });
        if (!check(trap, 116, [&] { return mayDescend(entry, guard); })) continue;
        const int error = listSubFolders(entry, newList, guard, ctx);
        if (error == kPermissionDenied || error == kPathNotFound) trap.step(138, [&] { removeEntry(folders, entry); });
    }
    // 150: the folders below the new ones, level by level.
    if (recurse && !newList.empty()) trap.step(150, [&] { scan(newList, true, ctx, guard); });
    // 152-160: the new folders join the list.
    for (const std::string& entry : newList) {
        if (!check(trap, 152, [&] { return DirectoryExists(entry); })) continue;
        trap.step(154, [&] { ctx.yieldToUi(); });
        if (!check(trap, 156, [&] { return mayDescend(entry, guard); })) continue;
        trap.step(158, [&] { folders.push_back(entry); });
    }
}

}  // namespace

void GetSubDirectories2016(FolderList& folders, bool recurse, AppContext& ctx) {
    FolderGuard guard(folders);
    scan(folders, recurse, ctx, guard);
}

}  // namespace vts
