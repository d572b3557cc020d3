// The spreadsheet automation object on its own: finding the program, cell texts, the order in
// which rows reach the file, limits, and the temporary folder's life.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "tests/support/temp_dir.h"
#include "platform/shell/errors.h"
#include "platform/shell/launcher.h"
#include "platform/xlsx/application.h"
#include "platform/xlsx/cell_text.h"
#include "platform/xlsx/private_folder.h"
#include "platform/xlsx/spreadsheet_program.h"
#include "platform/xlsx/stale_folders.h"

namespace vts::xlsx {
namespace {

class FakeBin {
public:
    std::string add(const std::string& name, bool executable = true) {
        const auto path = (dir_.path() / name).string();
        std::ofstream(path) << "#!/bin/sh\n";
        ::chmod(path.c_str(), executable ? 0755 : 0644);
        return path;
    }
    std::string dir() const { return dir_.str(); }

private:
    vts::test::TempDir dir_;
};

EnvLookup envOf(std::map<std::string, std::string> vars) {
    return [vars](const std::string& name) -> std::optional<std::string> {
        auto it = vars.find(name);
        if (it == vars.end()) return std::nullopt;
        return it->second;
    };
}

TEST(SpreadsheetProgram, KnownProgramsInOrderOfPreference) {
    FakeBin bin;
    EXPECT_FALSE(FindSpreadsheetProgram(envOf({{"PATH", bin.dir()}})));
    bin.add("gnumeric");
    bin.add("soffice", false);  // not executable: not a program
    auto found = FindSpreadsheetProgram(envOf({{"PATH", "/nonexistent:" + bin.dir()}}));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->program, bin.dir() + "/gnumeric");
    EXPECT_TRUE(found->args.empty());
    bin.add("libreoffice");
    found = FindSpreadsheetProgram(envOf({{"PATH", bin.dir()}}));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->program, bin.dir() + "/libreoffice");
    // "-n": LibreOffice opens the file as a template, so the user meets an untitled workbook.
    EXPECT_EQ(found->args, (std::vector<std::string>{"--calc", "-n"}));
}

TEST(SpreadsheetProgram, LibreOfficeOpensTheFileAsATemplateWhateverTheWayItIsNamed) {
    FakeBin bin;
    for (const char* name : {"soffice", "localc", "gnumeric", "my-calc"}) bin.add(name);
    auto argsOf = [&](const std::string& chosen) {
        return FindSpreadsheetProgram(envOf({{"PATH", bin.dir()}, {"VTS_SPREADSHEET_PROGRAM", chosen}}))->args;
    };
    EXPECT_EQ(argsOf("soffice"), (std::vector<std::string>{"--calc", "-n"}));
    EXPECT_EQ(argsOf(bin.dir() + "/localc"), std::vector<std::string>{"-n"});
    EXPECT_TRUE(argsOf("gnumeric").empty());  // no template mode: the file itself is read-only
    EXPECT_TRUE(argsOf("my-calc").empty());
}

TEST(SpreadsheetProgram, VariableNamesTheOneProgram) {
    FakeBin bin;
    bin.add("libreoffice");
    const auto mine = bin.add("my-calc");
    auto found = FindSpreadsheetProgram(envOf({{"PATH", bin.dir()}, {"VTS_SPREADSHEET_PROGRAM", "my-calc"}}));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->program, mine);
    found = FindSpreadsheetProgram(envOf({{"PATH", bin.dir()}, {"VTS_SPREADSHEET_PROGRAM", mine}}));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->program, mine);
    EXPECT_FALSE(FindSpreadsheetProgram(envOf({{"PATH", bin.dir()}, {"VTS_SPREADSHEET_PROGRAM", "/no/calc"}})));
    EXPECT_FALSE(FindSpreadsheetProgram(envOf({{"PATH", bin.dir()}, {"VTS_SPREADSHEET_PROGRAM", bin.dir()}})));
    // Set but empty: as if not set.
    found = FindSpreadsheetProgram(envOf({{"PATH", bin.dir()}, {"VTS_SPREADSHEET_PROGRAM", ""}}));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->program, bin.dir() + "/libreoffice");
}

TEST(CellText, LiteralEscapeSequencesAreProtected) {
    EXPECT_EQ(ProtectEscapes("plain _x text_"), "plain _x text_");
    EXPECT_EQ(ProtectEscapes("_x0041_"), "_x005F_x0041_");
    EXPECT_EQ(ProtectEscapes("a_x00e9_b_x12G4_"), "a_x005F_x00e9_b_x12G4_");
    EXPECT_EQ(ProtectEscapes("_x004"), "_x004");
}

TEST(CellText, FitKeepsWhatACellHolds) {
    const std::string limit(kMaxCellChars, 'a');
    FittedText fitted = FitCellText(limit);
    EXPECT_FALSE(fitted.cut());
    EXPECT_EQ(fitted.text, limit);
    fitted = FitCellText(limit + "b");
    EXPECT_TRUE(fitted.cut());
    EXPECT_EQ(fitted.text, limit);
    EXPECT_EQ(fitted.kept, kMaxCellChars);
    EXPECT_EQ(fitted.original, kMaxCellChars + 1);
    // "é" is one unit; "😀" is two UTF-16 units and is never split.
    fitted = FitCellText(std::string(kMaxCellChars - 1, 'a') + "é");
    EXPECT_FALSE(fitted.cut());
    fitted = FitCellText(std::string(kMaxCellChars - 1, 'a') + "😀");
    EXPECT_EQ(fitted.text, std::string(kMaxCellChars - 1, 'a'));
    EXPECT_EQ(fitted.kept, kMaxCellChars - 1);
    EXPECT_EQ(fitted.original, kMaxCellChars);
    // A protected "_x0041_" costs the writer 13 characters.
    fitted = FitCellText("_x0041_" + std::string(kMaxCellChars, 'a'));
    EXPECT_EQ(fitted.text, "_x005F_x0041_" + std::string(kMaxCellChars - 13, 'a'));
    EXPECT_EQ(fitted.kept, kMaxCellChars - 6);
}

TEST(CellText, WidthIsTheLongestLineInCharacters) {
    EXPECT_EQ(DisplayWidth(""), 0u);
    EXPECT_EQ(DisplayWidth("Zoë"), 3u);
    EXPECT_EQ(DisplayWidth("東京"), 2u);
    EXPECT_EQ(DisplayWidth("ab\r\nabcd\ne"), 4u);
}

class WorkbookTest : public ::testing::Test {
protected:
    RecordingLauncher launcher;
    Application excel{SpreadsheetProgram{"/usr/bin/calc", {"--calc"}}, launcher};
};

TEST_F(WorkbookTest, RowsMustComeInOrderAndWithinTheSheet) {
    Workbook& book = excel.Workbooks().add();
    auto& sheet = book.ActiveSheet();
    sheet.Cells(1, 2).Value("b");
    sheet.Cells(1, 1).Value("a");  // any order within a row
    sheet.Cells(3, 1).Value("c");
    EXPECT_THROW(sheet.Cells(2, 1).Value("late"), Error);
    EXPECT_THROW(sheet.Cells(3, kMaxColumns + 1).Value("wide"), Error);
    EXPECT_THROW(sheet.Cells(kMaxRows + 1, 1).Value("low"), Error);
    EXPECT_THROW(sheet.Cells(0, 1).Value("none"), Error);
}

TEST_F(WorkbookTest, TextsACellCannotHoldAreNeverChangedSilently) {
    Workbook& book = excel.Workbooks().add();
    auto& sheet = book.ActiveSheet();
    try {
        sheet.Cells(4, 28).Value(std::string(40000, 'x'));
        ADD_FAILURE() << "no exception";
    } catch (const CellNotWhole& e) {
        EXPECT_STREQ(e.what(),
                     "The text for the cell at row 4, column 28 (AB4) has 40000 characters, more than "
                     "the 32767 a cell can hold: the cell shows its first 32767 characters.");
    }
    EXPECT_THROW(sheet.Cells(4, 2).Value(std::string("nul\0byte", 8)), CellNotWhole);
    sheet.Cells(5, 1).Value("after");  // the sheet goes on
    EXPECT_EQ(CellReference(1, 1), "A1");
    EXPECT_EQ(CellReference(7, 702), "ZZ7");
    EXPECT_EQ(CellReference(1, 16384), "XFD1");
}

TEST_F(WorkbookTest, VisibleOpensEachWorkbookOnceAndKeepsItsFile) {
    Workbook& book = excel.Workbooks().add();
    book.ActiveSheet().Cells(1, 1).Value("x");
    excel.Visible(false);
    EXPECT_TRUE(launcher.starts.empty());
    excel.Visible(true);
    excel.Visible(true);
    ASSERT_EQ(launcher.starts.size(), 1u);
    EXPECT_EQ(launcher.starts[0].program, "/usr/bin/calc");
    ASSERT_EQ(launcher.starts[0].args.size(), 2u);
    EXPECT_EQ(launcher.starts[0].args[0], "--calc");
    const std::filesystem::path file = launcher.starts[0].args[1];
    excel.Quit();
    EXPECT_TRUE(std::filesystem::is_regular_file(file));  // the program still needs it
    struct stat st {};
    ASSERT_EQ(::stat(file.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0500u);
    RemoveSheetFolder(file.parent_path());
    EXPECT_FALSE(std::filesystem::exists(file.parent_path()));
}

// Folders that earlier exports left: only this user's old ones that nothing has open go.
TEST(StaleSheetFolders, OnlyOldUnusedFoldersOfOursGo) {
    namespace fs = std::filesystem;
    FakeBin base;
    const fs::path root = base.dir();
    auto folder = [&](const std::string& name, bool old) {
        fs::create_directory(root / name);
        std::ofstream(root / name / "Book1.xlsx") << "x";
        if (old) fs::last_write_time(root / name, fs::file_time_type::clock::now() - std::chrono::hours(1));
        return root / name;
    };
    const auto old = folder("vts-sheet-Ab3xY9", true);
    ::chmod((old / "Book1.xlsx").c_str(), 0400);
    ::chmod(old.c_str(), 0500);  // as the export leaves it
    const auto young = folder("vts-sheet-young1", false);
    const auto open = folder("vts-sheet-open12", true);
    const auto other = folder("vts-sheet-keep-me", true);  // not a name mkdtemp makes
    const auto target = folder("elsewhere", true);
    fs::create_directory_symlink(target, root / "vts-sheet-link12");
    const int fd = ::open((open / "Book1.xlsx").c_str(), O_RDONLY);  // a program still reading it
    ASSERT_GE(fd, 0);

    EXPECT_EQ(RemoveStaleSheetFolders(root.string()), 1u);
    EXPECT_FALSE(fs::exists(old));
    EXPECT_TRUE(fs::exists(young));
    EXPECT_TRUE(fs::exists(open));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_TRUE(fs::exists(target / "Book1.xlsx"));
    ::close(fd);
    EXPECT_EQ(RemoveStaleSheetFolders(root.string()), 1u);
    EXPECT_FALSE(fs::exists(open));
    EXPECT_EQ(RemoveStaleSheetFolders(root.string(), std::chrono::seconds(-60)), 1u);  // young, once old
    EXPECT_FALSE(fs::exists(young));
    EXPECT_EQ(RemoveStaleSheetFolders((root / "missing").string()), 0u);
}

TEST_F(WorkbookTest, WorkbookNeverShownLeavesNothingBehind) {
    std::filesystem::path folder;
    {
        RecordingLauncher other;
        Application app{SpreadsheetProgram{"/usr/bin/calc", {}}, other};
        Workbook& book = app.Workbooks().add();
        book.ActiveSheet().Cells(1, 1).Value("x");
        other.result = false;
        EXPECT_THROW(app.Visible(true), Error);
        folder = std::filesystem::path(other.starts.at(0).args.at(0)).parent_path();
        EXPECT_TRUE(std::filesystem::exists(folder));
    }
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST(CreateObject, OnlyTheSpreadsheetApplication) {
    RecordingLauncher launcher;
    EXPECT_EQ(CreateObject("Word.Application", launcher), nullptr);
}

}  // namespace
}  // namespace vts::xlsx
