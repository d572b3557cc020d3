// BrowseForFolder's answer: cancel, the root, and folders with trailing slashes.
#include <gtest/gtest.h>

#include "fsutil/folder_picker.h"

namespace vts {
namespace {

TEST(NormaliseChosenFolder, TrailingSlashesGoExceptForRoot) {
    EXPECT_EQ(normaliseChosenFolder(""), "");
    EXPECT_EQ(normaliseChosenFolder("/"), "/");
    EXPECT_EQ(normaliseChosenFolder("//"), "/");
    EXPECT_EQ(normaliseChosenFolder("/data"), "/data");
    EXPECT_EQ(normaliseChosenFolder("/data/"), "/data");
    EXPECT_EQ(normaliseChosenFolder("/my data//"), "/my data");
    EXPECT_EQ(normaliseChosenFolder(std::string("/data\0junk", 10)), "/data");
}

TEST(BrowseForFolder, AsksTheDialogAndTidiesItsAnswer) {
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    AppContext ctx{dialogs, launcher};
    dialogs.folders = {"/srv/tables/", "/"};
    EXPECT_EQ(BrowseForFolder(ctx, "Please select folder:", ""), "/srv/tables");
    EXPECT_EQ(BrowseForFolder(ctx, "Please select folder:", ""), "/");
    EXPECT_EQ(BrowseForFolder(ctx, "Please select folder:", ""), "");  // cancelled
    ASSERT_EQ(dialogs.browsePrompts.size(), 3u);
    EXPECT_EQ(dialogs.browsePrompts[0], "Please select folder:");
}

}  // namespace
}  // namespace vts
