// Fills the table list with every *.db table in and below the Paradox folder.
#include "bridge/paradox.h"
#include "bridge/path_text.h"
#include "fsutil/folder_scan.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/format/name_case.h"
#include "platform/pdx/replace/table_replace.h"
#include "platform/shell/error_trap.h"

namespace vts {

namespace {

std::string withoutDbExtensions(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, 3, ".DB") == 0) {
            i += 3;
        } else {
            out += text[i++];
        }
    }
    return out;
}

// Steps 118 to 128 for one file of one folder.
void addTableOfFile(ErrorTrap& trap, TableList& list, const std::string& folder, const std::string& file) {
    bool skip = false;
    // Files named *.db that are no Paradox table (Thumbs.db, an SQLite file, an empty file) are not
    // offered: opening one could only fail.
    trap.step(118, [&] { skip = file.starts_with('~') || pdx::isForeignFile(folder + "/" + file); });
    if (skip) return;
    std::string path, name;
    trap.step(120, [&] { path = folder + "/" + file; });
    trap.step(122, [&] { name = FileNameFromPath(path); });
    trap.step(124, [&] { name = pdx::upperName(name); });
    trap.step(126, [&] { name = withoutDbExtensions(name); });
    trap.step(128, [&] { list.add(name, folder); });
}

}  // namespace

void AddTablesToParadoxListbox(AppContext& ctx, TableList& list) {
    ErrorTrap trap(ctx.dialogs, errorTag("Paradox", "AddTablesToParadoxListbox"));
    std::string folderText;
    trap.step(100, [&] { folderText = ctx.folderText(); });
    trap.step(102, [&] { list.clear(); });
    if (folderText.empty()) return;  // 104
    FolderList folders;
    trap.step(106, [&] { folders = {folderText + "/"}; });
    trap.step(108, [&] { GetSubDirectories2016(folders, true, ctx); });
    for (const std::string& entry : folders) {  // 110
        std::string folder;
        FileNameArray files;
        trap.step(112, [&] { folder = entry.substr(0, entry.size() - 1); });
        trap.step(114, [&] {
            // A table hidden by a write-back that a crash cut short is put back before listing.
            pdx::recoverFolder(folder);
            files = ListFiles(folder, "*.db");
        });
        for (int i = 1; i <= files.ubound(); ++i)  // 116
            addTableOfFile(trap, list, folder, files[i]);
    }  // 130
}

}  // namespace vts
