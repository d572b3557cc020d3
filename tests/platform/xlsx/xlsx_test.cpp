// The spreadsheet automation object on its own: finding the program, cell texts, the order in
// which rows reach the file, limits, and the temporary folder's life.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "platform/shell/errors.h"
#include "platform/shell/launcher.h"
#include "platform/xlsx/application.h"
#include "platform/xlsx/cell_text.h"
#include "platform/xlsx/spreadsheet_program.h"

namespace vts::xlsx {
namespace {

class FakeBin {
public:
    FakeBin() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vts-xlsx-test-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
    }
    ~FakeBin() { std::filesystem::remove_all(dir_); }
    std::string add(const std::string& name, bool executable = true) {
        const auto path = (dir_ / name).string();
        std::ofstream(path) << "#!/bin/sh\n";
        ::chmod(path.c_str(), executable ? 0755 : 0644);
        return path;
    }
    std::string dir() const { return dir_.string(); }

private:
    std::filesystem::path dir_;
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
    EXPECT_EQ(found->args, std::vector<std::string>{"--calc"});
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
    EXPECT_THROW(sheet.Cells(4, 1).Value(std::string(40000, 'x')), Error);
    EXPECT_THROW(sheet.Cells(4, 1).Value(std::string("nul\0byte", 8)), Error);
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
    std::filesystem::remove_all(file.parent_path());
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
