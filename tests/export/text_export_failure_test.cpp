// A failed export shows one report with the writer's tag, writes nothing and leaves any
// earlier file and no temporary file behind.
#include <algorithm>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstring>

#include "export/text_export.h"
#include "export/text_file.h"
#include "tests/export/export_test_support.h"

namespace vts::test {
namespace {

// The whole text through a writer, as an export saves it.
void saveText(const std::string& text, const std::string& fileName) {
    TextFileWriter writer(fileName);
    writer.text() = text;
    writer.save();
}

using WriterFn = bool (*)(AppContext&, DataGrid&, const std::string&, const Progress&);

struct WriterCase {
    WriterFn writer;
    const char* tag;
    int saveLine;  // the step that writes the file
};

class FailedWrite : public ::testing::TestWithParam<WriterCase> {};

// A grid whose process ends, as a kill would end it, when the walk reaches a row.
struct KilledAt : FakeGrid {
    static constexpr int kStatus = 42;
    KilledAt(std::vector<std::string> captions, Rows rows, long row)
        : FakeGrid(std::move(captions), std::move(rows), 40), row(row) {}
    std::string columnText(int k) override {
        if (current == row) ::_exit(kStatus);
        return FakeGrid::columnText(k);
    }
    long row;
};

TEST_P(FailedWrite, MissingFolderGivesOneReport) {
    ScratchDir dir;
    FormStandIn form;
    FakeGrid grid({"Id"}, {{"1"}});
    EXPECT_FALSE(GetParam().writer(form.app, grid, dir.file("missing/out.txt"), {}));
    ASSERT_EQ(form.dialogs.messages.size(), 1u);
    const auto& m = form.dialogs.messages[0];
    EXPECT_EQ(m.caption, "Application Error");
    EXPECT_EQ(m.style, 48);
    EXPECT_NE(m.text.find(std::string("in Tabrevel2021/08/31.Datagrid1.") + GetParam().tag + " at line "),
              std::string::npos);
    EXPECT_NE(m.text.find("No such file or directory"), std::string::npos);
    EXPECT_TRUE(dir.names().empty());
}

TEST_P(FailedWrite, ParentThatIsAFileLeavesEverythingAsItWas) {
    ScratchDir dir;
    FormStandIn form;
    writeFile(dir.file("plain"), "a file, not a folder");
    FakeGrid grid({"Id"}, {{"1"}});
    EXPECT_FALSE(GetParam().writer(form.app, grid, dir.file("plain/out.txt"), {}));
    EXPECT_EQ(form.dialogs.messages.size(), 1u);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"plain"});
    EXPECT_EQ(readFile(dir.file("plain")), "a file, not a folder");
}

TEST_P(FailedWrite, GridReadFailureKeepsEarlierFile) {
    ScratchDir dir;
    FormStandIn form;
    writeFile(dir.file("out.txt"), "earlier export");
    FakeGrid grid({"Id"}, numberedRows(5, 1), 2);
    grid.failAtRow = 3;
    EXPECT_FALSE(GetParam().writer(form.app, grid, dir.file("out.txt"), {}));
    ASSERT_EQ(form.dialogs.messages.size(), 1u);  // once, not once per remaining cell
    EXPECT_NE(form.dialogs.messages[0].text.find(std::string("The grid cannot read the cell.\r\nin ") +
                                                 "Tabrevel2021/08/31.Datagrid1." + GetParam().tag),
              std::string::npos);
    EXPECT_EQ(readFile(dir.file("out.txt")), "earlier export");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"out.txt"});
}

// A large export goes to the file in chunks while the rows are read. A failure after chunks were
// written (the grid, or the file growing past what the system allows) still leaves the earlier
// file and no temporary file; the file's failure is reported once, at the save.
TEST_P(FailedWrite, FailureAfterChunksWereWrittenKeepsEarlierFile) {
    struct Case {
        const char* name;
        long failAtRow;
        rlim_t fileSizeLimit;  // past the first chunk
        const char* reason;
        bool atSave;
    } cases[] = {
        {"grid", 59000, RLIM_INFINITY, "The grid cannot read the cell.", false},
        {"file size limit", -1, 1500000, std::strerror(EFBIG), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        FormStandIn form;
        writeFile(dir.file("out.txt"), "earlier export");
        FakeGrid grid({"Id", "Name", "Note"}, numberedRows(60000, 3), 40);
        grid.failAtRow = c.failAtRow;
        // Past the limit a write fails with EFBIG instead of killing the process.
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = std::min(c.fileSizeLimit, old.rlim_max);
        ::setrlimit(RLIMIT_FSIZE, &limited);
        const bool written = GetParam().writer(form.app, grid, dir.file("out.txt"), {});
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_FALSE(written);
        ASSERT_EQ(form.dialogs.messages.size(), 1u);
        const std::string& text = form.dialogs.messages[0].text;
        EXPECT_NE(text.find(c.reason), std::string::npos) << text;
        const std::string saveStep = std::string(GetParam().tag) + " at line " + std::to_string(GetParam().saveLine);
        EXPECT_EQ(text.find(saveStep) != std::string::npos, c.atSave) << text;
        EXPECT_EQ(readFile(dir.file("out.txt")), "earlier export");
        EXPECT_EQ(dir.names(), std::vector<std::string>{"out.txt"});
    }
}

// The program killed while a large export is written: nothing of it is left in the folder, where
// the file system can hold a file without a name until it is whole.
TEST_P(FailedWrite, AKillDuringTheExportLeavesNothingBehind) {
    ScratchDir dir;
    const int probe = ::open(dir.path().c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (probe < 0) GTEST_SKIP() << "this file system has no files without a name";
    ::close(probe);
    writeFile(dir.file("out.txt"), "earlier export");
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        FormStandIn form;
        KilledAt grid({"Id", "Name", "Note"}, numberedRows(60000, 3), 59000);
        GetParam().writer(form.app, grid, dir.file("out.txt"), {});
        ::_exit(1);  // not reached: the grid ends the process first
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == KilledAt::kStatus);
    EXPECT_EQ(readFile(dir.file("out.txt")), "earlier export");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"out.txt"});
}

INSTANTIATE_TEST_SUITE_P(Writers, FailedWrite,
                         ::testing::Values(WriterCase{SaveDataGridToCSVFile, "SaveDataGridToCSVFile", 108},
                                           WriterCase{SaveDataGridToFile, "SaveDataGridToFile", 106},
                                           WriterCase{SaveDataGridToXMLFile, "SaveDataGridToXMLFile", 106}),
                         [](const auto& info) { return std::string(info.param.tag); });

TEST(TextFileWriter, ReplacesAnExistingFileKeepingItsMode) {
    ScratchDir dir;
    const auto path = dir.file("out.csv");
    writeFile(path, "a much longer earlier content than the new one");
    ::chmod(path.c_str(), 0640);
    saveText("new", path);
    EXPECT_EQ(readFile(path), "new\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"out.csv"});
}

// Saving onto a link writes the file it points to (in another folder here) with that file's
// mode; the link stays a link. A chain of links is followed to its end; a loop is an error.
TEST(TextFileWriter, ALinkIsFollowedAndStaysALink) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.file("real"));
    const auto real = dir.file("real/out.csv");
    writeFile(real, "earlier");
    ::chmod(real.c_str(), 0604);
    std::filesystem::create_symlink("real/out.csv", dir.file("link.csv"));
    std::filesystem::create_symlink(dir.file("link.csv"), dir.file("chain.csv"));
    saveText("new", dir.file("chain.csv"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.csv")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("chain.csv")));
    EXPECT_EQ(readFile(real), "new\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    auto names = dir.names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"chain.csv", "link.csv", "real"}));

    std::filesystem::create_symlink("dangling-target.csv", dir.file("new-link.csv"));
    saveText("fresh", dir.file("new-link.csv"));
    EXPECT_EQ(readFile(dir.file("dangling-target.csv")), "fresh\r\n");

    std::filesystem::create_symlink("loop-b", dir.file("loop-a"));
    std::filesystem::create_symlink("loop-a", dir.file("loop-b"));
    EXPECT_THROW(saveText("x", dir.file("loop-a")), Error);
}

// Someone else's link named like the export, pointing at a file of the user's: not followed, and
// neither the link nor that file changes.
TEST(TextFileWriter, ALinkOfAnotherUserIsNotFollowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a link to another user needs root";
    ScratchDir dir;
    const auto mine = dir.file("settings.conf");
    writeFile(mine, "the user's own file");
    std::filesystem::create_symlink(mine, dir.file("report.csv"));
    ASSERT_EQ(::lchown(dir.file("report.csv").c_str(), 65534, 65534), 0);
    try {
        saveText("export", dir.file("report.csv"));
        ADD_FAILURE() << "the link was followed";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("a link that another user made"), std::string::npos) << e.what();
    }
    EXPECT_EQ(readFile(mine), "the user's own file");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("report.csv")));
    auto names = dir.names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"report.csv", "settings.conf"}));
}

TEST(TextFileWriter, NameWithoutExtensionIsUsedAsGiven) {
    ScratchDir dir;
    saveText("x", dir.file("report"));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"report"});
}

TEST(TextFileWriter, FolderInPlaceOfTheFileIsAnError) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.file("taken"));
    EXPECT_THROW(saveText("x", dir.file("taken")), Error);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"taken"});
}

}  // namespace
}  // namespace vts::test
