// The "XLS" item: the grid in a workbook opened by the spreadsheet program, the message when
// there is none, and nothing at all for an empty grid.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/stat.h>

#include <optional>

#include "export/spreadsheet_export.h"
#include "platform/xlsx/private_folder.h"
#include "tests/export/export_test_support.h"
#include "tests/support/scoped_env.h"

extern char** environ;

namespace vts::test {
namespace {

// A stand-in spreadsheet program that writes its arguments to "<itself>.args".
std::string standInProgram(const ScratchDir& dir) {
    const auto path = dir.file("calc-standin");
    writeFile(path, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args.tmp\" && mv \"$0.args.tmp\" \"$0.args\"\n");
    ::chmod(path.c_str(), 0755);
    return path;
}

std::string folderOf(const std::string& book) { return std::filesystem::path(book).parent_path().string(); }

const char* kXlsxCheck = R"(
import json, re, sys, openpyxl
expected = json.load(open(sys.argv[2], encoding='utf-8'))
ws = openpyxl.load_workbook(sys.argv[1]).active
unescape = lambda s: re.sub('_x([0-9A-Fa-f]{4})_', lambda m: chr(int(m.group(1), 16)), s)
got = [[unescape(c.value) if isinstance(c.value, str) else ('' if c.value is None else c.value) for c in row]
       for row in ws.iter_rows(max_col=len(expected[0]))]
if got != expected:
    sys.exit('sheet differs:\n%r\n%r' % (got, expected))
widths = [ws.column_dimensions[chr(65 + c)].width for c in range(len(expected[0]))]
print(widths)
)";

// The stand-in chosen as the spreadsheet program; the workbooks it was given are removed after.
class SpreadsheetExport : public ::testing::Test {
protected:
    ~SpreadsheetExport() override {
        for (const auto& start : form.launcher.starts)
            if (!start.args.empty()) xlsx::RemoveSheetFolder(folderOf(start.args.back()));
    }
    void click(DataGrid& grid) {
        auto ctx = form.context(grid);
        mnuXLS_Click(ctx);
    }
    std::string book(size_t start) const { return form.launcher.starts.at(start).args.back(); }

    ScratchDir dir;
    const std::string standIn = standInProgram(dir);
    ScopedEnv program{"VTS_SPREADSHEET_PROGRAM", standIn};
    FormStandIn form;
};

TEST_F(SpreadsheetExport, OpensTheWorkbookInTheSpreadsheetProgram) {
    const std::vector<std::string> captions = {"Id", "Name", "Note"};
    const Rows rows = {{"1", "Ann", "007"},
                       {"2", "", "x & <y>"},
                       {"3", "Zoë", "_x0041_ bell\x07"},
                       {"4", "=1+1", "line\r\nbreak"},
                       {"5", "\"q\"", "a much longer note than the others"}};
    FakeGrid grid(captions, rows, 2);
    grid.top = 3;
    click(grid);
    EXPECT_TRUE(form.dialogs.messages.empty());
    EXPECT_EQ(form.pointer.mousePointer(), pointer::Default);
    ASSERT_EQ(form.launcher.starts.size(), 1u);
    EXPECT_EQ(form.launcher.starts[0].program, standIn);
    ASSERT_EQ(form.launcher.starts[0].args.size(), 1u);
    // Read-only, so that the program's Save cannot go silently into the temporary folder.
    struct stat st {};
    ASSERT_EQ(::stat(folderOf(book(0)).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0500u);
    ASSERT_EQ(::stat(book(0).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0400u);

    writeFile(dir.file("expected.json"), jsonTable(captions, rows));
    const auto r = runPython(dir, kXlsxCheck, {book(0), dir.file("expected.json")});
    EXPECT_EQ(r.status, 0) << r.output;
    // Longest text + 2 characters; the file stores the width with the font's padding.
    EXPECT_EQ(r.output, "[4.7109375, 6.7109375, 36.7109375]\n");
}

// Numbers, dates, times and logicals go in as such, as a spreadsheet takes them typed; text that
// only looks like a number stays text, and so does a cell that is not of its column's kind.
TEST_F(SpreadsheetExport, ValuesKeepTheirKinds) {
    FakeGrid grid(
        {"Zip", "Amount", "Day", "At", "Paid", "When"},
        {{"007", "12.5", "2021-03-04", "13:45:00", "True", "2021-03-04 13:45:00"}, {"", "", "1850-01-01", "", "", ""}});
    using K = ColumnKind;
    grid.kinds = {K::Text, K::Number, K::Date, K::Time, K::Logical, K::DateTime};
    click(grid);
    ASSERT_EQ(form.launcher.starts.size(), 1u);
    const auto r = runPython(dir, R"(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
for row in ws.iter_rows(min_row=2):
    print(' '.join(type(c.value).__name__ + '=' + str(c.value) for c in row))
)",
                             {form.launcher.starts[0].args.at(0)});
    EXPECT_EQ(r.output,
              "str=007 float=12.5 datetime=2021-03-04 00:00:00 time=13:45:00 bool=True datetime=2021-03-04 13:45:00\n"
              "NoneType=None NoneType=None str=1850-01-01 NoneType=None NoneType=None NoneType=None\n");
}

// Starts programs for real, as the desktop launcher does, without waiting for them.
struct SpawnLauncher : RecordingLauncher {
    bool startDetached(const std::string& program, const std::vector<std::string>& args) override {
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid_t pid;
        if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
        children.push_back(pid);
        return true;
    }
    std::vector<pid_t> children;
};

TEST_F(SpreadsheetExport, StandInProgramReceivesTheWorkbookPath) {
    SpawnLauncher launcher;
    AppContext app{form.dialogs, launcher};
    FakeGrid grid({"Id"}, {{"1"}});
    ExportContext ctx{app, grid, form.dialog, form.pointer};
    mnuXLS_Click(ctx);
    ASSERT_EQ(launcher.children.size(), 1u);
    int status = 0;
    ::waitpid(launcher.children[0], &status, 0);
    const std::string args = readFile(standIn + ".args");
    ASSERT_FALSE(args.empty());
    const std::string book = args.substr(0, args.size() - 1);
    EXPECT_TRUE(std::filesystem::is_regular_file(book)) << book;
    EXPECT_EQ(std::filesystem::path(book).extension(), ".xlsx");
    xlsx::RemoveSheetFolder(folderOf(book));
}

TEST_F(SpreadsheetExport, MissingProgramGivesExactlyTheOneMessage) {
    ScopedEnv chosen("VTS_SPREADSHEET_PROGRAM", "/nonexistent/calc");
    form.app.appTitle = "Verdalith Table";
    form.pointer.setMousePointer(pointer::Hand);
    FakeGrid grid({"Id"}, {{"1"}});
    click(grid);
    ASSERT_EQ(form.dialogs.messages.size(), 1u);
    EXPECT_EQ(form.dialogs.messages[0].text,
              "Excel is not installed on this computer. You need to have it installed to use this feature."
              "\r\n\r\nThe environment variable VTS_SPREADSHEET_PROGRAM names \"/nonexistent/calc\", which is "
              "not a program that can be started. Set it to the path of a spreadsheet program, or remove it "
              "to use the first of libreoffice, localc, soffice and gnumeric found on PATH.");
    EXPECT_EQ(form.dialogs.messages[0].caption, "Verdalith Table");
    EXPECT_EQ(form.dialogs.messages[0].style, 0);
    EXPECT_EQ(form.pointer.mousePointer(), pointer::Hand);
    EXPECT_TRUE(form.launcher.starts.empty());
    EXPECT_TRUE(grid.visited.empty());
}

TEST_F(SpreadsheetExport, MissingProgramMessageNamesWhatWasLookedFor) {
    ScopedEnv chosen("VTS_SPREADSHEET_PROGRAM", std::nullopt);
    ScratchDir empty;
    ScopedEnv path("PATH", empty.path().string());  // no spreadsheet program on it
    FakeGrid grid({"Id"}, {{"1"}});
    click(grid);
    ASSERT_EQ(form.dialogs.messages.size(), 1u);
    const std::string& text = form.dialogs.messages[0].text;
    EXPECT_EQ(text.rfind(std::string(kNoSpreadsheetMessage) + "\r\n\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("none of libreoffice, localc, soffice and gnumeric was found on PATH"), std::string::npos)
        << text;
    EXPECT_NE(text.find("set the environment variable VTS_SPREADSHEET_PROGRAM"), std::string::npos) << text;
    EXPECT_EQ(form.dialogs.messages[0].style, mb::OkOnly);
    EXPECT_TRUE(form.launcher.starts.empty());
}

// A memo longer than a cell holds: one report naming its cell and saying how far it was cut,
// and the workbook still opens with every cell, that one cut to the limit.
TEST_F(SpreadsheetExport, OverlongTextIsCutReportedOnceAndTheRestOpens) {
    ScopedEnv tmp("TMPDIR", dir.path().string()), temp("TEMP", std::nullopt);
    const std::vector<std::string> captions = {"Id", "Name", "Memo"};
    const std::string memo = std::string(39990, 'm') + "0123456789";
    Rows rows = numberedRows(5, 3);
    rows[2][2] = memo;
    FakeGrid grid(captions, rows, 2);
    click(grid);
    ASSERT_EQ(form.dialogs.messages.size(), 1u);
    const std::string& report = form.dialogs.messages[0].text;
    EXPECT_EQ(report.rfind("The text for the cell at row 4, column 3 (C4) has 40000 characters, more than the "
                           "32767 a cell can hold: the cell shows its first 32767 characters.\r\n"
                           "in Tabrevel2021/08/31.Form3.mnuXLS_Click at line 112",
                           0),
              0u)
        << report;
    EXPECT_EQ(form.pointer.mousePointer(), pointer::Default);
    ASSERT_EQ(form.launcher.starts.size(), 1u);

    rows[2][2] = memo.substr(0, 32767);
    writeFile(dir.file("expected.json"), jsonTable(captions, rows));
    const auto r = runPython(dir, kXlsxCheck, {book(0), dir.file("expected.json")});
    EXPECT_EQ(r.status, 0) << r.output;
}

// The next export removes the folder an earlier one left once the program no longer needs it,
// and keeps a recent one, which the program may not have opened yet.
TEST_F(SpreadsheetExport, NextExportRemovesTheEarlierWorkbook) {
    ScopedEnv tmp("TMPDIR", dir.path().string()), temp("TEMP", std::nullopt);
    FakeGrid grid({"Id"}, {{"1"}});
    click(grid);
    click(grid);
    ASSERT_EQ(form.launcher.starts.size(), 2u);
    const std::filesystem::path first = folderOf(book(0)), second = folderOf(book(1));
    EXPECT_TRUE(std::filesystem::exists(first));  // too young to go
    std::filesystem::last_write_time(first, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    click(grid);
    ASSERT_EQ(form.launcher.starts.size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(first));
    EXPECT_TRUE(std::filesystem::exists(second));
    EXPECT_TRUE(form.dialogs.messages.empty());
}

TEST_F(SpreadsheetExport, NoRowsMeansNothingAtAll) {
    for (const std::string& chosen : {standIn, std::string("/nonexistent/calc")}) {
        SCOPED_TRACE(chosen);
        ScopedEnv chosenProgram("VTS_SPREADSHEET_PROGRAM", chosen);
        FakeGrid grid({"Id"}, {});
        click(grid);
        EXPECT_TRUE(form.dialogs.messages.empty());
        EXPECT_TRUE(form.launcher.starts.empty());
        EXPECT_EQ(form.pointer.mousePointer(), pointer::Default);
    }
}

TEST_F(SpreadsheetExport, FailuresReportOnceAndOpenNothing) {
    ScopedEnv tmp("TMPDIR", dir.path().string()), temp("TEMP", std::nullopt);
    FakeGrid grid({"Id", "Name"}, numberedRows(6, 2), 4);
    grid.failAtRow = 2;
    click(grid);
    ASSERT_EQ(form.dialogs.messages.size(), 1u);
    EXPECT_NE(form.dialogs.messages[0].text.find("in Tabrevel2021/08/31.Form3.mnuXLS_Click at line 112"),
              std::string::npos);
    EXPECT_TRUE(form.launcher.starts.empty());
    EXPECT_EQ(form.pointer.mousePointer(), pointer::Default);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"calc-standin"});  // the workbook is gone

    form.dialogs.messages.clear();
    grid.failAtRow = -1;
    form.launcher.result = false;  // the program cannot be started
    click(grid);
    ASSERT_EQ(form.dialogs.messages.size(), 1u);
    EXPECT_NE(form.dialogs.messages[0].text.find("Cannot start the spreadsheet program"), std::string::npos);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"calc-standin"});

    struct HugeGrid : FakeGrid {
        using FakeGrid::FakeGrid;
        long ApproxCount() override { return 2000000; }
    } huge({"Id"}, numberedRows(1, 1));
    form.dialogs.messages.clear();
    click(huge);
    ASSERT_EQ(form.dialogs.messages.size(), 1u);
    EXPECT_NE(form.dialogs.messages[0].text.find("more rows than a worksheet can hold"), std::string::npos);
    EXPECT_EQ(huge.visited.size(), 1u);
}

}  // namespace
}  // namespace vts::test
