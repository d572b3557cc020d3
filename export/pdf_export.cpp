#include "export/pdf_export.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "export/printer_check.h"
#include "export/printer_default.h"
#include "export/printer_files.h"
#include "export/printer_program.h"
#include "export/text_export.h"
#include "platform/print/cups_printers.h"
#include "platform/print/print_file.h"
#include "platform/print/printer_variables.h"
#include "platform/print/text_layout.h"
#include "platform/shell/error_trap.h"
#include "platform/shell/errors.h"

namespace vts {

namespace {

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error("Cannot read the temporary print file \"" + path + "\".");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Rewrites the TXT rows as aligned columns; the page settings that make them fit go to lp.
TextPageSettings LayOutPrintFile(const std::string& path) {
    const LaidOutText laidOut = LayOutTable(ReadWhole(path));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << laidOut.text;
    out.close();
    if (!out) throw Error("Cannot write the temporary print file \"" + path + "\".");
    return laidOut.page;
}

// Waits until the print program has handed the job over, so that the file can be deleted
// and the earlier default given back right afterwards.
void PrintToDefaultPrinter(AppContext& app, const std::string& file, const std::string& title) {
    const std::string program = GetWordpadPath();
    if (program.empty())
        throw Error(std::string("The print program \"") + kPrintProgram + "\" was not found on the PATH.");
    const TextPageSettings page = LayOutPrintFile(file);
    const int code = app.launcher.runAndWait(program, PrintArguments(title, page, file), kPrintTimeoutMs);
    if (code < 0)
        throw Error("The print program \"" + program + "\" could not be started or did not finish in " +
                    std::to_string(kPrintTimeoutMs / 1000) + " seconds.");
    if (code != 0)
        throw Error("The print program \"" + program + "\" failed with exit code " + std::to_string(code) + ".");
}

// The newest "TITLE.pdf" or "TITLE-job_N.pdf" in folder made since `since`.
std::optional<std::filesystem::path> NewestPdf(const std::filesystem::path& folder, const std::string& title,
                                               std::filesystem::file_time_type since) {
    namespace fs = std::filesystem;
    std::optional<fs::path> newest;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string stem = it->path().stem().string();
        if (it->path().extension() != ".pdf" || (stem != title && stem.rfind(title + "-job_", 0) != 0)) continue;
        const auto made = it->last_write_time(ec);
        if (!ec && made >= since && (!newest || made > fs::last_write_time(*newest, ec))) newest = it->path();
    }
    return newest;
}

// The PDF the printer made of this job: once the PDF queue has no job left, the newest file in
// its folder named after the title ("TITLE.pdf", or "TITLE-job_N.pdf" beside an older one) and
// made since the job began. An earlier export's file that the printer finishes late is older
// than this job's. Waited for a while (the printer writes after the job is handed over) with
// the window alive.
std::optional<std::filesystem::path> WrittenPdf(AppContext& app, PrinterSystem& printers, const std::string& queue,
                                                const std::filesystem::path& folder, const std::string& title,
                                                std::filesystem::file_time_type since) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPdfWaitMs);
    for (;;) {
        if (printers.activeJobs(queue) == 0) {
            if (auto found = NewestPdf(folder, title, since)) return found;
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        app.yieldToUi();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// Says where the PDF went: the file when it can be found, else the PDF printer's folder.
void TellWherePdfWent(AppContext& app, PrinterSystem& printers, const std::string& title,
                      std::filesystem::file_time_type since) {
    const auto folder = printers.pdfFolder();
    if (!folder) return;
    std::string queue;
    for (const PrinterQueue& q : printers.queues())
        if (DeviceName(q) == kPdfPrinterName) queue = q.name;
    if (const auto file = WrittenPdf(app, printers, queue, *folder, title, since))
        app.message("The PDF is written: " + file->string(), mb::OkOnly | mb::Information);
    else app.message("The PDF printer writes the PDF into the folder " + *folder + ".", mb::OkOnly | mb::Information);
}

}  // namespace

std::string PrintJobTitle(const std::string& tableName) {
    if (tableName.empty() || tableName == "." || tableName == "..") return kUntitledPrintJob;
    std::string title = tableName;
    for (char& c : title)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '_';
    return title;
}

std::string CreatePrintFile(const std::string& title) {
    const std::string folder = CreatePrivateFolder(TempFolder(), "vts-print-");
    const std::string file = (std::filesystem::path(folder) / (title + ".txt")).string();
    try {
        CreateNewFile(file);
    } catch (...) {
        ::rmdir(folder.c_str());
        throw;
    }
    return file;
}

void RemovePrintFile(AppContext& app, const std::string& path) {
    DeleteFileQuietly(app, path);
    ::rmdir(std::filesystem::path(path).parent_path().c_str());  // only when empty; else it stays
}

void mnuPDF_Click(ExportContext& ctx, PrinterSystem& printers, const std::string& tableName) {
    AppContext& app = ctx.app;
    ErrorTrap trap(app.dialogs, errorTag("Form3", "mnuPDF_Click"));
    const std::string title = PrintJobTitle(tableName);
    std::string printFile;
    trap.step(100, [&] { printFile = CreatePrintFile(title); });  // 1. (the report says why it failed)
    if (printFile.empty()) return;
    bool written = false;
    trap.step(102, [&] { written = SaveDataGridToFile(app, ctx.grid, printFile, ctx.progress); });  // 2.
    if (!written || !std::filesystem::exists(printFile)) {  // 3. [104] the writer has reported why
        RemovePrintFile(app, printFile);
        return;
    }
    const PrinterVariablesSetAside printerVariables;  // so that the print program sees the new default
    EarlierDefault earlier;
    bool kept = false;
    trap.step(106, [&] {  // 4. unless the earlier default is known, it is not changed
        GetDefaultPrinter(app, printers, NoDefault::Quiet);  // the PDF is made all the same
        earlier = KeepDefaultPrinter(printers);
        kept = true;
    });
    bool switched = false, printed = false;
    const auto started = std::filesystem::file_time_type::clock::now() - std::chrono::seconds(1);
    if (kept) trap.step(108, [&] { switched = SetDefaultPrinter(printers, kPdfPrinterName); });  // 5.
    // Missing, it is named here too: the notice at start may have been turned off.
    if (kept && !switched && !PdfPrinterInstalled(printers) && PrintServerAnswers(printers))
        app.message(PdfPrinterInstructions(), mb::OkOnly);
    if (switched) trap.step(110, [&] { PrintToDefaultPrinter(app, printFile, title), printed = true; });  // 6.
    trap.step(112, [&] { RemovePrintFile(app, printFile); });                                             // 7.
    if (switched) trap.step(114, [&] { GiveBackDefaultPrinter(printers, earlier); });                     // 8.
    if (printed) trap.step(116, [&] { TellWherePdfWent(app, printers, title, started); });
}

void mnuPDF_Click(ExportContext& ctx, const std::string& tableName) {
    CupsPrinterSystem printers;
    mnuPDF_Click(ctx, printers, tableName);
}

}  // namespace vts
