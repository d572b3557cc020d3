// The PDF export against the real CUPS server that scripts/cups-test-start.sh prepared: the
// queue "Quillmere_PDF_Writer" described "Quillmere PDF Writer", a second queue
// "Vts_Test_Office" that plays the user's ordinary default, and cups-pdf writing into a
// private folder. Skips when that set-up is absent.
#include <algorithm>
#include <chrono>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "export/pdf_export.h"
#include "export/printer_check.h"
#include "platform/print/cups_printers.h"
#include "tests/export/pdf_cups_support.h"
#include "tests/support/headless.h"

namespace vts {
namespace {

using namespace test;

const char* const kPdfQueue = "Quillmere_PDF_Writer";
const char* const kOfficeQueue = "Vts_Test_Office";
const std::vector<std::string> kCaptions = {"Id", "Name", "Joined", "Amount"};
const Rows kRows = {{"1", "Ann Lee", "03/04/2019", "12.50"}, {"2", "Bob Stone", "", "0"},
                    {"3", "Cy", "12/31/1999", "-7.25"},      {"4", "Dee & Co", "01/01/2000", ""},
                    {"5", "Eve", "07/07/2007", "1000000"},   {"6", "Müller", "02/29/2000", "3"},
                    {"7", "Flo", "11/11/2011", "42"}};

// What lpstat says the default is, as the user's own programs see it.
std::string LpstatDefault() { return Shell("env -u PRINTER -u LPDEST lpstat -d").output; }

std::set<std::string> PdfFiles(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().extension() == ".pdf") names.insert(e.path().string());
    return names;
}

// The text lines of a PDF, each with its runs of blanks made one blank.
std::vector<std::string> PdfLines(const std::string& pdf) {
    std::istringstream in(Shell("pdftotext -layout " + ShellWord(pdf) + " -").output);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string word, joined;
        while (words >> word) joined += (joined.empty() ? "" : " ") + word;
        if (!joined.empty()) lines.push_back(joined);
    }
    return lines;
}

std::string Line(const std::vector<std::string>& cells) {
    std::string joined;
    for (const auto& c : cells)
        if (!c.empty()) joined += (joined.empty() ? "" : " ") + c;
    return joined;
}

// Waits (at most 30 s) until the PDF queue is empty and a new PDF holding every line is there.
std::optional<std::string> WaitForPdf(const std::filesystem::path& folder, const std::set<std::string>& before,
                                      const std::vector<std::string>& lines) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Shell(std::string("lpstat -o ") + kPdfQueue).output.empty()) {
            for (const auto& pdf : PdfFiles(folder)) {
                if (before.count(pdf)) continue;
                const auto got = PdfLines(pdf);
                if (std::all_of(lines.begin(), lines.end(), [&](const std::string& l) {
                        return std::find(got.begin(), got.end(), l) != got.end();
                    }))
                    return pdf;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return std::nullopt;
}

size_t CompletedJobs(const char* queue) {
    const std::string out = Shell(std::string("lpstat -W completed -o ") + queue).output;
    return static_cast<size_t>(std::count(out.begin(), out.end(), '\n'));
}

// Puts the per-user default back as the test found it.
class DefaultKept {
public:
    DefaultKept() : own_(printers_.ownDefault()) {}
    ~DefaultKept() {
        try {
            if (own_) printers_.setOwnDefault(*own_);
            else printers_.clearOwnDefault();
        } catch (...) {}
    }
    DefaultKept(const DefaultKept&) = delete;
    DefaultKept& operator=(const DefaultKept&) = delete;

private:
    CupsPrinterSystem printers_;
    std::optional<PrinterChoice> own_;
};

class PdfCupsTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = CupsPdfFolder();
        if (!folder) GTEST_SKIP() << "CUPS is not prepared: run scripts/cups-test-start.sh (as root) first";
        lock.emplace();
        kept.emplace();
        if (Shell(std::string("lpstat -p ") + kPdfQueue + " " + kOfficeQueue).status != 0)
            GTEST_SKIP() << "the test queues are missing";
    }
    void exportPdf(Launcher& launcher, const std::string& tableName = {}) {
        AppContext app{dialogs, launcher};
        CommonDialog dialog{dialogs};
        ExportContext ctx{app, grid, dialog, pointer};
        mnuPDF_Click(ctx, tableName);
    }
    // What the export reported, the notice of where the PDF went left out.
    std::vector<std::string> reports() const {
        std::vector<std::string> out;
        for (const auto& m : dialogs.messages)
            if (m.style != (mb::OkOnly | mb::Information)) out.push_back(m.text);
        return out;
    }
    std::string notice() const {
        for (const auto& m : dialogs.messages)
            if (m.style == (mb::OkOnly | mb::Information)) return m.text;
        return "";
    }
    std::vector<std::string> expectedLines() const {
        std::vector<std::string> lines{Line(kCaptions)};
        for (const auto& row : kRows) lines.push_back(Line(row));
        return lines;
    }

    std::optional<std::filesystem::path> folder;
    std::optional<CupsLock> lock;
    std::optional<DefaultKept> kept;
    ScratchDir temp;
    ScopedEnv tempVar{"TEMP", temp.path().string()};
    ScriptedDialogs dialogs;
    PlainPointer pointer;
    FakeGrid grid{kCaptions, kRows};
};

TEST_F(PdfCupsTest, TheRowsArriveAsAPdfAndTheDefaultPrinterIsGivenBack) {
    ASSERT_EQ(Shell(std::string("lpoptions -d ") + kOfficeQueue).status, 0);
    // PRINTER would send a plain "lp" to the office queue; the export must not let it.
    ScopedEnv printer("PRINTER", kOfficeQueue);
    const std::string before = LpstatDefault();
    const size_t officeJobs = CompletedJobs(kOfficeQueue);
    const auto pdfsBefore = PdfFiles(*folder);

    SpawnLauncher launcher;
    AppContext app{dialogs, launcher};
    CheckPdfPrinter(app);  // quiet: the queue is there
    exportPdf(launcher);

    EXPECT_TRUE(reports().empty()) << reports().front();
    EXPECT_EQ(notice().rfind("The PDF is written: " + folder->string() + "/Table", 0), 0u) << notice();
    EXPECT_TRUE(temp.names().empty()) << "the temporary print file stays behind";
    EXPECT_EQ(LpstatDefault(), before);
    EXPECT_EQ(Env("PRINTER"), kOfficeQueue);
    const auto pdf = WaitForPdf(*folder, pdfsBefore, expectedLines());
    ASSERT_TRUE(pdf) << "no PDF with every row appeared in " << folder->string();
    EXPECT_EQ(CompletedJobs(kOfficeQueue), officeJobs) << "the job went to the office printer";
}

TEST_F(PdfCupsTest, WithNoDefaultPrinterTheExportPrintsAndLeavesNoDefault) {
    CupsPrinterSystem().clearOwnDefault();
    const std::string before = LpstatDefault();
    const auto pdfsBefore = PdfFiles(*folder);

    SpawnLauncher launcher;
    exportPdf(launcher);

    EXPECT_TRUE(reports().empty()) << "having no default printer is no fault: " << reports().front();
    EXPECT_NE(notice(), "");
    EXPECT_EQ(LpstatDefault(), before);
    EXPECT_TRUE(WaitForPdf(*folder, pdfsBefore, expectedLines()));
}

// Describes the PDF queue differently for the length of a test.
class DescriptionChanged {
public:
    explicit DescriptionChanged(const std::string& description)
        : ok_(Shell(std::string("lpadmin -p ") + kPdfQueue + " -D " + ShellWord(description)).status == 0) {}
    ~DescriptionChanged() { Shell(std::string("lpadmin -p ") + kPdfQueue + " -D " + ShellWord(kPdfPrinterName)); }
    DescriptionChanged(const DescriptionChanged&) = delete;
    DescriptionChanged& operator=(const DescriptionChanged&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

TEST_F(PdfCupsTest, AQueueDescribedInOtherLetterCaseIsMissingAndTheExportSaysSo) {
    ASSERT_EQ(Shell(std::string("lpoptions -d ") + kOfficeQueue).status, 0);
    const DescriptionChanged lowerCase("quillmere pdf writer");
    ASSERT_TRUE(lowerCase.ok());
    const std::string before = LpstatDefault();

    RecordingLauncher launcher;
    AppContext app{dialogs, launcher};
    CheckPdfPrinter(app);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, PdfPrinterInstructions());

    exportPdf(launcher);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, PdfPrinterInstructions());
    EXPECT_TRUE(launcher.runs.empty());
    EXPECT_EQ(LpstatDefault(), before);
    EXPECT_TRUE(temp.names().empty());
}

std::string UserLpoptions() {
    const char* home = std::getenv("HOME");
    const std::string path = std::string(home ? home : "/root") + "/.cups/lpoptions";
    return std::filesystem::exists(path) ? readFile(path) : std::string();
}

TEST_F(PdfCupsTest, AnInstanceAsTheDefaultComesBackWithItsOptions) {
    ASSERT_EQ(Shell(std::string("lpoptions -p ") + kOfficeQueue + "/duplex -o sides=two-sided-long-edge").status, 0);
    ASSERT_EQ(Shell(std::string("lpoptions -d ") + kOfficeQueue + "/duplex").status, 0);
    const std::string before = LpstatDefault();
    ASSERT_NE(before.find(std::string(kOfficeQueue) + "/duplex"), std::string::npos) << before;
    const std::string file = UserLpoptions();

    SpawnLauncher launcher;
    exportPdf(launcher, "CUSTOMER");
    EXPECT_TRUE(reports().empty()) << reports().front();
    EXPECT_EQ(LpstatDefault(), before);
    EXPECT_EQ(UserLpoptions(), file) << "the user's printer settings changed";
    Shell(std::string("lpoptions -x ") + kOfficeQueue + "/duplex");
}

// A default for everybody in the system-wide lpoptions file, for the length of a test.
class SystemDefault {
public:
    explicit SystemDefault(const std::string& queue)
        : had_(std::filesystem::exists(kPath)), old_(had_ ? readFile(kPath) : "") {
        std::ofstream(kPath) << "Default " << queue << "\n";
    }
    ~SystemDefault() {
        if (had_) std::ofstream(kPath) << old_;
        else std::filesystem::remove(kPath);
    }
    SystemDefault(const SystemDefault&) = delete;
    SystemDefault& operator=(const SystemDefault&) = delete;

private:
    static constexpr const char* kPath = "/etc/cups/lpoptions";
    bool had_;
    std::string old_;
};

TEST_F(PdfCupsTest, ASystemWideDefaultIsNotWrittenIntoTheUsersOwnSettings) {
    CupsPrinterSystem().clearOwnDefault();
    const SystemDefault everybody(kOfficeQueue);
    const std::string before = LpstatDefault();
    ASSERT_NE(before.find(kOfficeQueue), std::string::npos) << before;
    const auto pdfsBefore = PdfFiles(*folder);

    SpawnLauncher launcher;
    exportPdf(launcher);
    EXPECT_TRUE(reports().empty()) << reports().front();
    EXPECT_TRUE(WaitForPdf(*folder, pdfsBefore, expectedLines()));
    EXPECT_EQ(CupsPrinterSystem().ownDefault(), std::nullopt) << UserLpoptions();
    EXPECT_EQ(UserLpoptions().find("Default"), std::string::npos) << UserLpoptions();
    EXPECT_EQ(LpstatDefault(), before);
}

TEST_F(PdfCupsTest, AWideTableArrivesWithEveryRowOnOneLineInAPdfNamedAfterTheTable) {
    ASSERT_EQ(Shell(std::string("lpoptions -d ") + kOfficeQueue).status, 0);
    grid.captions = {"Id", "Name", "Street", "City", "Notes"};
    grid.rows = {{"1", "Annabel Leeworth-Stanton", "1234 Long Meadow Boulevard West", "Newcastle upon Tyne",
                  "prefers delivery before noon on weekdays"},
                 {"2", "Bo", "Elm St 1", "Oslo", "-"}};
    std::vector<std::string> lines{Line(grid.captions)};
    for (const auto& row : grid.rows) lines.push_back(Line(row));
    ASSERT_GT(lines[1].size(), 110u) << "wider than a portrait line";
    const auto pdfsBefore = PdfFiles(*folder);

    SpawnLauncher launcher;
    exportPdf(launcher, "CUSTOMER");
    EXPECT_TRUE(reports().empty()) << reports().front();
    const auto pdf = WaitForPdf(*folder, pdfsBefore, lines);
    ASSERT_TRUE(pdf) << "no PDF with every row on one line appeared in " << folder->string();
    EXPECT_EQ(notice(), "The PDF is written: " + *pdf);
    // The page is turned, not the text: viewers show it across.
    const std::string info = Shell("pdfinfo " + ShellWord(*pdf)).output;
    EXPECT_NE(info.find("Page rot:        90"), std::string::npos) << info;
    EXPECT_TRUE(
        std::regex_match(std::filesystem::path(*pdf).filename().string(), std::regex("CUSTOMER(-job_[0-9]+)?\\.pdf")))
        << *pdf;
}

// Many rows, portrait and landscape: every page of the PDF opens with the headings, and no page is
// blank.
TEST_F(PdfCupsTest, EveryPageOpensWithTheHeadings) {
    ASSERT_EQ(Shell(std::string("lpoptions -d ") + kOfficeQueue).status, 0);
    for (const std::size_t width : {4u, 30u}) {
        SCOPED_TRACE(width);
        grid.captions = {"Id", "Name", "City", "Notes"};
        grid.rows.clear();
        for (int r = 0; r < 150; ++r)
            grid.rows.push_back(
                {std::to_string(r), "N" + std::to_string(r), std::string(width, 'c'), std::string(width, 'n')});
        const auto pdfsBefore = PdfFiles(*folder);
        SpawnLauncher launcher;
        exportPdf(launcher, "PAGES");
        const auto pdf = WaitForPdf(*folder, pdfsBefore, {Line(grid.rows.back())});
        ASSERT_TRUE(pdf);
        const std::string text = Shell("pdftotext -layout " + ShellWord(*pdf) + " -").output;
        std::vector<std::string> pages{""};
        for (const char c : text)
            if (c == '\f') pages.emplace_back();
            else pages.back().push_back(c);
        if (pages.back().find_first_not_of(" \n") == std::string::npos) pages.pop_back();
        EXPECT_GE(pages.size(), 3u);
        for (const auto& page : pages) {
            const auto first = page.find_first_not_of(" \n");
            EXPECT_EQ(page.compare(first == std::string::npos ? 0 : first, 2, "Id"), 0) << page.substr(0, 200);
        }
        dialogs.messages.clear();
    }
}

}  // namespace
}  // namespace vts
