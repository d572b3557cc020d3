// mnuPDF_Click and CheckPdfPrinter against a printer list in memory and a print program that
// only records what it was given.
#include <sys/stat.h>

#include <filesystem>
#include <algorithm>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "export/pdf_export.h"
#include "export/printer_check.h"
#include "export/printer_default.h"
#include "platform/print/memory_printers.h"
#include "platform/print/print_file.h"
#include "platform/shell/error_trap.h"
#include "tests/export/pdf_test_support.h"
#include "tests/support/headless.h"

namespace vts {
namespace {

using namespace test;

// Stands in for lp: records, while "printing", the file it was given and the state around it.
class PrintSpy : public Launcher {
public:
    struct Run {
        std::string program, file, content;
        std::optional<PrinterChoice> defaultQueue;
        std::optional<std::string> printerVar, lpdestVar;
        mode_t mode = 0, folderMode = 0;
        std::vector<std::string> args;
    };
    explicit PrintSpy(MemoryPrinterSystem& printers) : printers_(printers) {}
    std::vector<Run> runs;
    int exitCode = 0;

    int runAndWait(const std::string& program, const std::vector<std::string>& args, int) override {
        Run run{program, args.back(), readFile(args.back()), printers_.own, Env("PRINTER"), Env("LPDEST")};
        run.args = args;
        struct stat st {};
        if (::stat(run.file.c_str(), &st) == 0) run.mode = st.st_mode & 0777;
        const std::string folder = std::filesystem::path(run.file).parent_path().string();
        if (::stat(folder.c_str(), &st) == 0) run.folderMode = st.st_mode & 0777;
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
const Rows kRows = {{"1", "Ann", "03/04/2019"},
                    {"2", "Bob Stone", ""},
                    {"3", "Cy", "12/31/1999"},
                    {"4", "Dee", "01/01/2000"},
                    {"5", "Eve & Co", "07/07/2007"}};

class PdfExportTest : public ::testing::Test {
protected:
    PdfExportTest() {
        std::filesystem::create_directory(bin.path() / "bin");
        const auto lp = bin.path() / "bin" / "lp";
        std::ofstream(lp) << "#!/bin/sh\nexit 0\n";
        std::filesystem::permissions(lp, std::filesystem::perms::owner_all);
        printers.installed = {{"Quillmere_PDF_Writer", "Quillmere PDF Writer"}, {"office", "Office Laser"}};
        printers.own = Own("office");
        app.yieldToUi = [this] { ++yields; };
    }
    void exportPdf(const std::string& tableName = {}) {
        ExportContext ctx{app, grid, dialog, pointer};
        mnuPDF_Click(ctx, printers, tableName);
    }
    std::string lpPath() const { return (bin.path() / "bin" / "lp").string(); }
    // Nothing printed, the user's default as it was and no temporary file left behind.
    void expectNothingPrinted() {
        EXPECT_TRUE(launcher.runs.empty());
        EXPECT_EQ(printers.own, Own("office"));
        EXPECT_TRUE(temp.names().empty());
    }

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
    exportPdf("CUSTOMER");
    ASSERT_EQ(launcher.runs.size(), 1u);
    const PrintSpy::Run& run = launcher.runs[0];
    EXPECT_EQ(run.program, lpPath());
    const std::filesystem::path file(run.file);
    EXPECT_EQ(file.parent_path().parent_path(), temp.path());
    EXPECT_TRUE(std::regex_match(file.parent_path().filename().string(), std::regex("vts-print-[A-Za-z0-9]{6}")))
        << run.file;
    EXPECT_EQ(file.filename(), "CUSTOMER.txt");
    EXPECT_EQ(run.content,
              "Id  Name       Joined\n"
              "1   Ann        03/04/2019\n"
              "2   Bob Stone\n"
              "3   Cy         12/31/1999\n"
              "4   Dee        01/01/2000\n"
              "5   Eve & Co   07/07/2007\n"
              "\n");
    EXPECT_EQ(run.args, (std::vector<std::string>{"-t", "CUSTOMER", "-o", "TitlePref=1", "-o", "cpi=10", "-o", "lpi=6",
                                                  "-o", "page-left=18", "-o", "page-right=18", "-o", "page-top=18",
                                                  "-o", "page-bottom=18", run.file}));
    EXPECT_EQ(run.defaultQueue, Own("Quillmere_PDF_Writer"));
    EXPECT_EQ(run.mode, 0600u);
    EXPECT_EQ(run.folderMode, 0700u);
    EXPECT_EQ(printers.own, Own("office"));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(temp.names().empty()) << "the temporary print file or its folder stays behind";
    EXPECT_EQ(pointer.mousePointer(), pointer::Default);
    EXPECT_GE(yields, 1);
}

TEST_F(PdfExportTest, AWideTableIsPrintedLandscapeAtASmallerPitchWithEveryRowOnOneLine) {
    grid.captions = {"Id", "Name", "Street", "City", "Notes"};
    grid.rows = {{"1", std::string(30, 'n'), std::string(30, 's'), std::string(20, 'c'), std::string(40, 'o')},
                 {"22", "Bo", "", "Oslo", "short"}};
    exportPdf("Wide table");
    ASSERT_EQ(launcher.runs.size(), 1u);
    const auto& run = launcher.runs[0];
    // 2 + 30 + 30 + 20 + 40 characters and four gaps of 2: 130, too wide for 10 or 11 cpi.
    const std::vector<std::string> page{"-o", "media=Custom.842x595", "-o", "cpi=13", "-o", "lpi=8"};
    EXPECT_TRUE(std::search(run.args.begin(), run.args.end(), page.begin(), page.end()) != run.args.end());
    EXPECT_EQ(run.args[1], "Wide table");
    EXPECT_EQ(std::filesystem::path(run.file).filename(), "Wide table.txt");
    std::istringstream lines(run.content);
    std::string header, first, second;
    std::getline(std::getline(std::getline(lines, header), first), second);
    EXPECT_EQ(header.find("Name"), 4u);
    EXPECT_EQ(first.size(), 130u);
    EXPECT_EQ(second, "22  Bo" + std::string(30, ' ') + std::string(32, ' ') + "Oslo" + std::string(18, ' ') + "short");
}

TEST_F(PdfExportTest, ATableNameThatCannotBeAFileNameStillGivesATitle) {
    EXPECT_EQ(PrintJobTitle(""), "Table");
    EXPECT_EQ(PrintJobTitle(".."), "Table");
    EXPECT_EQ(PrintJobTitle("a/b\tc"), "a_b_c");
    EXPECT_EQ(PrintJobTitle("Kunden Ö"), "Kunden Ö");
    exportPdf();
    ASSERT_EQ(launcher.runs.size(), 1u);
    EXPECT_EQ(launcher.runs[0].args[1], "Table");
    EXPECT_EQ(std::filesystem::path(launcher.runs[0].file).filename(), "Table.txt");
}

TEST_F(PdfExportTest, AnEmptyGridPrintsTheHeaderLineOnly) {
    grid.rows.clear();
    exportPdf();
    ASSERT_EQ(launcher.runs.size(), 1u);
    EXPECT_EQ(launcher.runs[0].content, "Id  Name  Joined\n\n");
}

TEST_F(PdfExportTest, EveryExportGetsAFreshNameAndPlantedLinksAreLeftAlone) {
    // Another user's links at the names an export might have used.
    const auto victim = bin.path() / "victim.txt";
    std::ofstream(victim) << "theirs";
    for (const char* name : {"tmp.txt", "tmp-XXXXXX.txt"}) std::filesystem::create_symlink(victim, temp.path() / name);
    exportPdf();
    exportPdf();
    ASSERT_EQ(launcher.runs.size(), 2u);
    EXPECT_NE(launcher.runs[0].file, launcher.runs[1].file);
    for (const auto& run : launcher.runs) EXPECT_EQ(run.content, launcher.runs[0].content);
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
        EXPECT_EQ(std::filesystem::path(launcher.runs[0].file).parent_path().parent_path(), other.path());
    }
    ScopedEnv t("TEMP", ""), d("TMPDIR", std::nullopt);
    EXPECT_EQ(TempFolder(), "/tmp");
}

// Missing (or unseen with the print server down), the PDF printer is named at start and again by
// an export, which then prints nothing: a user who asked not to be told at start is never left
// with an export that does nothing.
TEST_F(PdfExportTest, AMissingPdfPrinterShowsTheInstructionsAtStartAndAtAnExport) {
    struct Case {
        std::vector<PrinterQueue> queues;
        bool unreachable = false;
        std::string atExport = PdfPrinterInstructions();
    };
    const std::vector<Case> cases = {
        {{{"office", "Office Laser"}}},
        {{{"Quillmere_PDF_Writer", "quillmere pdf writer"}, {"office", "Office Laser"}}},
        {{{"Quillmere_PDF_Writer", ""}, {"office", "Office Laser"}}},
        {{{"Quillmere_PDF_Writer", "Quillmere PDF Writer "}, {"office", "Office Laser"}}},
        {printers.installed, true,
         "Error No: 5\r\nThe print server cannot be reached.\r\nHas occured in modPrinters.GetDefaultPrinter\r\n"
         "Please contact Technical Support\r\nNo PDF can be made until the print server runs. Start it (\"sudo "
         "systemctl start cups\"; \"lpstat -r\" then says \"scheduler is running\") and export again."}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.queues.front().name + " / " + c.queues.front().description + (c.unreachable ? " (down)" : ""));
        printers.installed = c.queues;
        printers.unreachable = c.unreachable;
        printers.own = Own("office");
        dialogs.messages.clear();

        CheckPdfPrinter(app, printers);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(
            dialogs.messages[0].text,
            "Quillmere PDF Writer is not installed. Please follow these instructions:\r\n\r\n"
            "1) Install the print server and its PDF printer: sudo apt-get install cups "
            "printer-driver-cups-pdf\r\n"
            "2) Start the print server: sudo systemctl start cups (\"lpstat -r\" then says \"scheduler is "
            "running\").\r\n"
            "3) Add the queue: sudo lpadmin -p Quillmere_PDF_Writer -E -v cups-pdf:/ -m "
            "lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -D \"Quillmere PDF Writer\" -o pdftops-renderer-default=pdftocairo\r\n"
            "4) Save Results As -> PDF then writes the PDF files into the folder PDF of your home folder.");
        exportPdf();
        ASSERT_EQ(dialogs.messages.size(), 2u);
        EXPECT_EQ(dialogs.messages[1].text, c.atExport);
        for (const auto& message : dialogs.messages) {
            EXPECT_EQ(message.caption, app.appTitle);
            EXPECT_EQ(message.style, mb::OkOnly);
        }
        expectNothingPrinted();
    }
}

// Whatever the queues and the user's default, the PDF printer is the default only while printing.
TEST_F(PdfExportTest, TheEarlierDefaultComesBackAsItWas) {
    struct Case {
        std::string name;
        std::optional<PrinterChoice> own;
        std::vector<PrinterQueue> queues = {{"Quillmere_PDF_Writer", "Quillmere PDF Writer"},
                                            {"office", "Office Laser"}};
        std::optional<PrinterChoice> whilePrinting = Own("Quillmere_PDF_Writer");
        std::optional<std::string> systemDefault;
    };
    const std::vector<Case> cases = {
        {.name = "the PDF printer counts by its description, whatever its queue is called",
         .own = Own("office"),
         .queues = {{"pdf", "Quillmere PDF Writer"}, {"office", "Office Laser"}},
         .whilePrinting = Own("pdf")},
        {.name = "the queue comes back even when another shares its description",
         .own = Own("office2"),
         .queues = {{"Quillmere_PDF_Writer", "Quillmere PDF Writer"},
                    {"office", "Office Laser"},
                    {"office2", "Office Laser"}}},
        {.name = "an instance comes back with its instance", .own = Own("office/duplex")},
        {.name = "a system default is not made the user's own", .own = std::nullopt, .systemDefault = "office"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        printers.installed = c.queues;
        printers.own = c.own;
        printers.systemDefault = c.systemDefault;
        launcher.runs.clear();
        CheckPdfPrinter(app, printers);
        exportPdf();
        EXPECT_TRUE(dialogs.messages.empty()) << "the PDF printer is there and so is a default";
        ASSERT_EQ(launcher.runs.size(), 1u);
        EXPECT_EQ(launcher.runs[0].defaultQueue, c.whilePrinting);
        EXPECT_EQ(printers.own, c.own);
        EXPECT_EQ(printers.defaultQueue().value().name, c.own ? c.own->queue : c.systemDefault.value());
    }
}

// Having no default printer is no fault of the export, which goes on: only the notice of where
// the PDF went shows. GetDefaultPrinter itself still reports it, with the design's lines.
TEST_F(PdfExportTest, WithNoDefaultPrinterOnlyWhereThePdfWentIsShown) {
    printers.own.reset();
    ScratchDir out;
    printers.pdfOut = out.path().string();
    std::ofstream(out.path() / "CUSTOMER-job_7.pdf") << "%PDF";
    std::ofstream(out.path() / "CUSTOMERS-job_8.pdf") << "%PDF";  // another table's
    exportPdf("CUSTOMER");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "The PDF is written: " + (out.path() / "CUSTOMER-job_7.pdf").string());
    EXPECT_EQ(dialogs.messages[0].style, mb::OkOnly | mb::Information);
    ASSERT_EQ(launcher.runs.size(), 1u) << "the export goes on";
    EXPECT_EQ(launcher.runs[0].defaultQueue, Own("Quillmere_PDF_Writer"));
    EXPECT_EQ(printers.own, std::nullopt) << "the PDF printer must not stay the default";

    EXPECT_EQ(GetDefaultPrinter(app, printers), "");
    EXPECT_EQ(dialogs.messages.at(1).text,
              "Error No: 5\r\nNo default printer is set.\r\nHas occured in modPrinters.GetDefaultPrinter\r\nPlease "
              "contact Technical Support\r\nThe PDF is made all the same. To give your programs "
              "a default printer, run \"lpoptions -d QUEUE\" with one of the queues that \"lpstat -p\" lists.");
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
        EXPECT_EQ(printers.own, Own("office"));
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
    EXPECT_EQ(printers.settings, 0);
    expectNothingPrinted();
}

TEST_F(PdfExportTest, AGridThatCannotBeReadEndsTheExportBeforeThePrinterIsTouched) {
    grid.failAtRow = 2;
    exportPdf();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("Datagrid1.SaveDataGridToFile"), std::string::npos);
    EXPECT_EQ(printers.settings, 0);
    expectNothingPrinted();
}

TEST_F(PdfExportTest, ADefaultThatCannotBeChangedMeansNoPrintAndNoMessage) {
    printers.failSetting = true;
    exportPdf();
    EXPECT_TRUE(dialogs.messages.empty());
    expectNothingPrinted();
}

TEST_F(PdfExportTest, ADefaultThatCannotBeGivenBackIsReportedWithWhatIsLeft) {
    class FailsSecondTime : public MemoryPrinterSystem {
        void setOwnDefault(const PrinterChoice& choice) override {
            if (settings == 1) {
                ++settings;
                throw Error("The settings file is read-only.");
            }
            MemoryPrinterSystem::setOwnDefault(choice);
        }
    } failing;
    failing.installed = printers.installed;
    failing.own = Own("office/duplex");
    ExportContext ctx{app, grid, dialog, pointer};
    mnuPDF_Click(ctx, failing);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              errorReportText("The default printer could not be given back to \"office/duplex\"; it is still the "
                              "PDF printer. The settings file is read-only.",
                              kTag, 114));
}

}  // namespace
}  // namespace vts
