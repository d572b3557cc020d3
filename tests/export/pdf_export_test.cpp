// mnuPDF_Click and CheckPdfPrinter against a printer list in memory and a print program that
// only records what it was given.
#include <sys/stat.h>

#include <filesystem>
#include <regex>

#include <gtest/gtest.h>

#include "export/pdf_export.h"
#include "export/printer_check.h"
#include "export/printer_default.h"
#include "platform/print/memory_printers.h"
#include "platform/print/print_file.h"
#include "platform/shell/error_trap.h"
#include "tests/export/pdf_test_support.h"

namespace vts {
namespace {

using namespace test;

// Stands in for lp: records, while "printing", the file it was given and the state around it.
class PrintSpy : public Launcher {
public:
    struct Run {
        std::string program, file, content;
        std::optional<std::string> defaultQueue, printerVar, lpdestVar;
        mode_t mode = 0;
    };
    explicit PrintSpy(MemoryPrinterSystem& printers) : printers_(printers) {}
    std::vector<Run> runs;
    int exitCode = 0;

    int runAndWait(const std::string& program, const std::vector<std::string>& args, int) override {
        Run run{program, args.at(0), readFile(args.at(0)), printers_.defaultName, Env("PRINTER"), Env("LPDEST")};
        struct stat st {};
        if (::stat(run.file.c_str(), &st) == 0) run.mode = st.st_mode & 0777;
        runs.push_back(run);
        return exitCode;
    }
    bool startDetached(const std::string&, const std::vector<std::string>&) override { return false; }
    bool openUrl(const std::string&) override { return false; }

private:
    MemoryPrinterSystem& printers_;
};

const std::string kTag = "Tabrevel2021/08/31.Form3.mnuPDF_Click";
const std::vector<std::string> kCaptions = {"Id", "Name", "Joined"};
const Rows kRows = {
    {"1", "Ann", "03/04/2019"}, {"2", "Bob Stone", ""}, {"3", "Cy", "12/31/1999"},
    {"4", "Dee", "01/01/2000"}, {"5", "Eve & Co", "07/07/2007"}};

class PdfExportTest : public ::testing::Test {
protected:
    PdfExportTest() {
        std::filesystem::create_directory(bin.path() / "bin");
        const auto lp = bin.path() / "bin" / "lp";
        std::ofstream(lp) << "#!/bin/sh\nexit 0\n";
        std::filesystem::permissions(lp, std::filesystem::perms::owner_all);
        printers.installed = {{"Quillmere_PDF_Writer", "Quillmere PDF Writer"}, {"office", "Office Laser"}};
        printers.defaultName = "office";
        app.yieldToUi = [this] { ++yields; };
    }
    void exportPdf() {
        ExportContext ctx{app, grid, dialog, pointer};
        mnuPDF_Click(ctx, printers);
    }
    std::string lpPath() const { return (bin.path() / "bin" / "lp").string(); }

    ScratchDir temp, bin;
    ScopedEnv tempVar{"TEMP", temp.path().string()}, pathVar{"PATH", (bin.path() / "bin").string()};
    ScopedEnv printerVar{"PRINTER", std::nullopt}, lpdestVar{"LPDEST", std::nullopt};
    MemoryPrinterSystem printers;
    ScriptedDialogs dialogs;
    PrintSpy launcher{printers};
    AppContext app{dialogs, launcher};
    CommonDialog dialog{dialogs};
    PlainPointer pointer;
    FakeGrid grid{kCaptions, kRows};
    int yields = 0;
};

TEST_F(PdfExportTest, PrintsTheRowsThroughThePdfPrinterAndGivesBackTheDefault) {
    exportPdf();
    ASSERT_EQ(launcher.runs.size(), 1u);
    const PrintSpy::Run& run = launcher.runs[0];
    EXPECT_EQ(run.program, lpPath());
    EXPECT_EQ(std::filesystem::path(run.file).parent_path(), temp.path());
    EXPECT_TRUE(std::regex_match(std::filesystem::path(run.file).filename().string(),
                                 std::regex("tmp-[A-Za-z0-9]{6}\\.txt")))
        << run.file;
    EXPECT_EQ(run.content, TxtBytes(kCaptions, kRows));
    EXPECT_EQ(run.defaultQueue, "Quillmere_PDF_Writer");
    EXPECT_EQ(run.mode, 0600u);

    EXPECT_EQ(printers.defaultName, "office");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(temp.names().empty()) << "the temporary print file stays behind";
    EXPECT_EQ(pointer.mousePointer(), pointer::Default);
    EXPECT_GE(yields, 1);
}

TEST_F(PdfExportTest, AnEmptyGridPrintsTheHeaderLineOnly) {
    grid.rows.clear();
    exportPdf();
    ASSERT_EQ(launcher.runs.size(), 1u);
    EXPECT_EQ(launcher.runs[0].content, "Id\tName\tJoined\t\r\n\r\n");
}

TEST_F(PdfExportTest, EveryExportGetsAFreshNameAndPlantedLinksAreLeftAlone) {
    // Another user's links at the names an export might have used.
    const auto victim = bin.path() / "victim.txt";
    std::ofstream(victim) << "theirs";
    for (const char* name : {"tmp.txt", "tmp-XXXXXX.txt"})
        std::filesystem::create_symlink(victim, temp.path() / name);

    exportPdf();
    exportPdf();
    ASSERT_EQ(launcher.runs.size(), 2u);
    EXPECT_NE(launcher.runs[0].file, launcher.runs[1].file);
    for (const auto& run : launcher.runs) EXPECT_EQ(run.content, TxtBytes(kCaptions, kRows));
    EXPECT_EQ(readFile(victim), "theirs");
    EXPECT_EQ(temp.names().size(), 2u) << "only the two links remain";
    EXPECT_TRUE(std::filesystem::is_symlink(temp.path() / "tmp.txt"));
}

TEST_F(PdfExportTest, TheTemporaryFolderIsTempThenTmpdirThenSlashTmp) {
    ScratchDir other;
    {
        ScopedEnv t("TEMP", std::nullopt), d("TMPDIR", other.path().string());
        EXPECT_EQ(TempFolder(), other.path().string());
        exportPdf();
        ASSERT_EQ(launcher.runs.size(), 1u);
        EXPECT_EQ(std::filesystem::path(launcher.runs[0].file).parent_path(), other.path());
    }
    ScopedEnv t("TEMP", ""), d("TMPDIR", std::nullopt);
    EXPECT_EQ(TempFolder(), "/tmp");
}

TEST_F(PdfExportTest, AMissingPdfPrinterShowsTheInstructionsOnceAtStartAndTheExportShowsNothing) {
    const std::vector<std::vector<PrinterQueue>> withoutIt = {
        {{"office", "Office Laser"}},
        {{"Quillmere_PDF_Writer", "quillmere pdf writer"}, {"office", "Office Laser"}},
        {{"Quillmere_PDF_Writer", ""}, {"office", "Office Laser"}},
        {{"Quillmere_PDF_Writer", "Quillmere PDF Writer "}, {"office", "Office Laser"}}};
    for (const auto& queues : withoutIt) {
        SCOPED_TRACE(queues.front().name + " / " + queues.front().description);
        printers.installed = queues;
        printers.defaultName = "office";
        dialogs.messages.clear();

        CheckPdfPrinter(app, printers);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text,
                  "Quillmere PDF Writer is not installed. Please follow these instructions:\r\n"
                  "\r\n"
                  "1) Go to Control Panel -> Printers and Faxes to add a local printer.\r\n"
                  "2) Choose ''CPW2: (Quillmere PDF Writer)'' on Select a Printer Port dialog box, click Next.\r\n"
                  "3) Choose a Postscript printer (e.g. HP Color LaserJet PS), click Next.\r\n"
                  "4) Enter Quillmere PDF Writer as Printer name, click Next -> Finish.");
        EXPECT_EQ(dialogs.messages[0].caption, app.appTitle);
        EXPECT_EQ(dialogs.messages[0].style, mb::OkOnly);

        exportPdf();
        EXPECT_EQ(dialogs.messages.size(), 1u) << "the export showed something";
        EXPECT_TRUE(launcher.runs.empty());
        EXPECT_EQ(printers.defaultName, "office");
        EXPECT_TRUE(temp.names().empty());
    }
}

TEST_F(PdfExportTest, ThePdfPrinterCountsByItsDescriptionWhateverTheQueueIsCalled) {
    printers.installed = {{"pdf", "Quillmere PDF Writer"}, {"office", "Office Laser"}};
    CheckPdfPrinter(app, printers);
    EXPECT_TRUE(dialogs.messages.empty());
    exportPdf();
    ASSERT_EQ(launcher.runs.size(), 1u);
    EXPECT_EQ(launcher.runs[0].defaultQueue, "pdf");
    EXPECT_EQ(printers.defaultName, "office");
}

TEST_F(PdfExportTest, WithNoDefaultPrinterTheMessageShowsAndNoneIsLeftBehind) {
    printers.defaultName.reset();
    exportPdf();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "Error No: 5\r\nNo default printer is set.\r\nHas occured in modPrinters.GetDefaultPrinter\r\n"
              "Please contact Technical Support");
    EXPECT_EQ(dialogs.messages[0].caption, app.appTitle);
    EXPECT_EQ(dialogs.messages[0].style, mb::OkOnly);
    ASSERT_EQ(launcher.runs.size(), 1u) << "the export goes on";
    EXPECT_EQ(launcher.runs[0].defaultQueue, "Quillmere_PDF_Writer");
    EXPECT_EQ(printers.defaultName, std::nullopt) << "the PDF printer must not stay the default";
}

TEST_F(PdfExportTest, APrintProgramThatFailsIsReportedOnceAndTheExportStillCleansUp) {
    struct Case {
        std::string path;
        int exitCode;
        std::string description;
    };
    const std::vector<Case> cases = {
        {(bin.path() / "bin").string(), 1, "The print program \"" + lpPath() + "\" failed with exit code 1."},
        {(bin.path() / "bin").string(), -1,
         "The print program \"" + lpPath() + "\" could not be started or did not finish in 30 seconds."},
        {temp.file("none"), 0, "The print program \"lp\" was not found on the PATH."}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        ScopedEnv path("PATH", c.path);
        launcher.exitCode = c.exitCode;
        dialogs.messages.clear();
        exportPdf();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].caption, "Application Error");
        EXPECT_EQ(dialogs.messages[0].text, errorReportText(c.description, kTag, 110));
        EXPECT_EQ(printers.defaultName, "office");
        EXPECT_TRUE(temp.names().empty());
    }
}

TEST_F(PdfExportTest, PrinterVariablesAreSetAsideWhileTheJobIsHandedOver) {
    ScopedEnv p("PRINTER", "office"), l("LPDEST", "office");
    exportPdf();
    ASSERT_EQ(launcher.runs.size(), 1u);
    EXPECT_EQ(launcher.runs[0].printerVar, std::nullopt);
    EXPECT_EQ(launcher.runs[0].lpdestVar, std::nullopt);
    EXPECT_EQ(Env("PRINTER"), "office");
    EXPECT_EQ(Env("LPDEST"), "office");
}

TEST_F(PdfExportTest, AnUnusableTemporaryFolderIsReportedOnceAndNothingElseHappens) {
    ScopedEnv t("TEMP", (temp.path() / "missing").string());
    exportPdf();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Application Error");
    EXPECT_NE(dialogs.messages[0].text.find("in " + kTag + " at line 100\r\r"), std::string::npos)
        << dialogs.messages[0].text;
    EXPECT_TRUE(launcher.runs.empty());
    EXPECT_EQ(printers.settings, 0);
}

TEST_F(PdfExportTest, AGridThatCannotBeReadEndsTheExportBeforeThePrinterIsTouched) {
    grid.failAtRow = 2;
    exportPdf();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("Datagrid1.SaveDataGridToFile"), std::string::npos);
    EXPECT_TRUE(launcher.runs.empty());
    EXPECT_EQ(printers.settings, 0);
    EXPECT_TRUE(temp.names().empty());
}

TEST_F(PdfExportTest, ADefaultThatCannotBeChangedMeansNoPrintAndNoMessage) {
    printers.failSetting = true;
    exportPdf();
    EXPECT_TRUE(launcher.runs.empty());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(printers.defaultName, "office");
    EXPECT_TRUE(temp.names().empty());
}

}  // namespace
}  // namespace vts
