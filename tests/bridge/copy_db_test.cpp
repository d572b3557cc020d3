// The offer to copy a folder whose path holds a blank into TestDB at the drive root: when it
// asks, the exact question, and what it leaves on disk and in the folder box.
#include "bridge/copy_db.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"
#include "platform/shell/error_trap.h"
#include "platform/shell/errors.h"
#include "tests/support/file_contents.h"
#include "tests/support/scoped_env.h"

namespace fs = std::filesystem;

namespace vts::test {
namespace {

// The "drive" is a temporary folder, so TestDB lands there instead of at "/".
class TempDrive : public FileSystemObject {
public:
    explicit TempDrive(std::string root) : root_(std::move(root)) {}
    std::string GetDriveName(const std::string&) override { return root_; }
    bool failCreate = false;
    void CreateFolder(const std::string& path) override {
        if (failCreate) throw Error("Permission denied: " + path);
        FileSystemObject::CreateFolder(path);
    }

private:
    std::string root_;
};

class CopyDbTest : public ::testing::Test {
protected:
    CopyDbTest() : drive(temp.str()) {
        ctx.appTitle = "Verdalith Table Studio";
        ctx.folderText = [this] { return folder; };
        ctx.setFolderText = [this](const std::string& s) { folder = s; };
        fs::create_directories(source / "sub");
        writeFile(source / "CUSTOMER.DB", "table");
        writeFile(source / "sub" / "notes.txt", "notes");
    }
    std::string testDb() const { return temp.str() + "/TestDB"; }
    std::string question(const std::string& word) const {
        return "In some cases the software needs to use a folder without spaces.\r\n"
               "Is it OK to create the folder " +
               testDb() + " and put " + word + " db files in it?";
    }

    TempDir temp;
    fs::path source = temp / "my tables";
    TempDrive drive;
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    AppContext ctx{dialogs, launcher, temp.path()};
    std::string folder = source.string();
};

TEST_F(CopyDbTest, AsksNothingWithoutAnInnerBlank) {
    fs::create_directories(temp / "plain");
    for (std::string text : {(temp / "plain").string(), "  " + (temp / "plain").string() + "  "}) {
        folder = text;
        bool sample = false;
        CopyDB(ctx, sample, drive);
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(folder, text);
    }
    EXPECT_FALSE(fs::exists(testDb()));
}

TEST_F(CopyDbTest, AnswerNoLeavesBoxAndDiskAlone) {
    dialogs.answers = {mb::No};
    bool sample = true;
    CopyDB(ctx, sample, drive);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, question("sample"));
    EXPECT_EQ(dialogs.messages[0].style, mb::YesNo);
    EXPECT_EQ(dialogs.messages[0].caption, "Verdalith Table Studio");
    EXPECT_EQ(folder, source.string());
    EXPECT_FALSE(fs::exists(testDb()));
}

TEST_F(CopyDbTest, AnswerYesCopiesEverythingAndPointsTheBoxAtTheCopy) {
    dialogs.answers = {mb::Yes};
    bool sample = false;
    CopyDB(ctx, sample, drive);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, question("Your"));
    EXPECT_EQ(folder, testDb());
    EXPECT_EQ(readFile(testDb() + "/CUSTOMER.DB"), "table");
    EXPECT_EQ(readFile(testDb() + "/sub/notes.txt"), "notes");
    EXPECT_EQ(readFile(source / "CUSTOMER.DB"), "table");  // the original stays
}

TEST_F(CopyDbTest, ExistingTestDbIsReusedAndSameNamedFilesReplaced) {
    fs::create_directory(testDb());
    writeFile(testDb() + "/CUSTOMER.DB", "old copy");
    writeFile(testDb() + "/OTHER.DB", "kept");
    dialogs.answers = {mb::Yes};
    bool sample = false;
    CopyDB(ctx, sample, drive);
    EXPECT_EQ(dialogs.messages.size(), 1u);  // no error report
    EXPECT_EQ(readFile(testDb() + "/CUSTOMER.DB"), "table");
    EXPECT_EQ(readFile(testDb() + "/OTHER.DB"), "kept");
    EXPECT_EQ(folder, testDb());
}

TEST_F(CopyDbTest, FailedCreateIsReportedAndNothingIsCopied) {
    drive.failCreate = true;
    dialogs.answers = {mb::Yes};
    bool sample = false;
    CopyDB(ctx, sample, drive);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].caption, "Application Error");
    EXPECT_EQ(dialogs.messages[1].text,
              errorReportText("Permission denied: " + testDb(), errorTag("Paradox", "CopyDB"), 116));
    EXPECT_EQ(folder, source.string());
    EXPECT_FALSE(fs::exists(testDb()));
}

TEST_F(CopyDbTest, MissingSourceIsReportedAtTheCopyStep) {
    folder = (temp / "gone away").string();
    dialogs.answers = {mb::Yes};
    bool sample = false;
    CopyDB(ctx, sample, drive);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_NE(dialogs.messages[1].text.find("at line 120"), std::string::npos) << dialogs.messages[1].text;
    EXPECT_EQ(folder, testDb());  // the step after a failed one still runs
}

// An ordinary user cannot create /TestDB: the copy goes below the home folder.
TEST(AppDriveRoot, IsTheHomeFolder) {
    TempDir home;
    const ScopedEnv keptHome("HOME", Env("HOME"));
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    AppContext ctx{dialogs, launcher, "/opt/verdalith/bin"};
    FileSystemObject fso;
    for (const std::string& value : {home.str(), home.str() + "//"}) {
        const ScopedEnv as("HOME", value);
        EXPECT_EQ(AppDriveRoot(ctx, fso), home.str() + "/") << value;
    }
}

}  // namespace
}  // namespace vts::test
