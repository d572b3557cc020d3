#include "bridge/copy_db.h"

#include "platform/shell/error_trap.h"

namespace vts {

namespace {

std::string trimBlanks(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string AppDriveRoot(AppContext& ctx, FileSystemObject& fso) {
    return fso.GetDriveName(ctx.appFolder.string()) + "/";
}

void CopyDB(AppContext& ctx, bool& sample, FileSystemObject& fso) {
    ErrorTrap trap(ctx.dialogs, errorTag("Paradox", "CopyDB"));
    bool hasBlank = false;
    trap.step(100, [&] { hasBlank = trimBlanks(ctx.folderText()).find(' ') != std::string::npos; });
    if (!hasBlank) return;
    std::string word;
    trap.step(102, [&] { word = sample ? "sample" : "Your"; });
    std::string newFolder;
    trap.step(108, [&] { newFolder = AppDriveRoot(ctx, fso) + "TestDB"; });
    int answer = mb::No;
    trap.step(110, [&] {
        answer = ctx.message(
            "In some cases the software needs to use a folder without spaces.\r\n"
            "Is it OK to create the folder " +
                newFolder + " and put " + word + " db files in it?",
            mb::YesNo);
    });
    if (answer != mb::Yes) return;
    bool exists = false;
    trap.step(114, [&] { exists = fso.FolderExists(newFolder); });
    if (!exists) trap.step(116, [&] { fso.CreateFolder(newFolder); });
    trap.step(118, [&] { exists = fso.FolderExists(newFolder); });
    if (exists) {
        trap.step(120, [&] { fso.CopyFolder(ctx.folderText(), newFolder, true); });
        trap.step(122, [&] { ctx.setFolderText(newFolder); });
    }
}

}  // namespace vts
