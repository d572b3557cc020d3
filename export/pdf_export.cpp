#include "export/pdf_export.h"

#include <filesystem>

#include "export/printer_check.h"
#include "export/printer_default.h"
#include "export/printer_files.h"
#include "export/printer_program.h"
#include "export/text_export.h"
#include "platform/print/cups_printers.h"
#include "platform/print/print_file.h"
#include "platform/print/printer_variables.h"
#include "platform/shell/error_trap.h"
#include "platform/shell/errors.h"

namespace vts {

namespace {

// Waits until the print program has handed the job over, so that the file can be deleted
// and the earlier default given back right afterwards.
void PrintToDefaultPrinter(AppContext& app, const std::string& file) {
    const std::string program = GetWordpadPath();
    if (program.empty())
        throw Error(std::string("The print program \"") + kPrintProgram + "\" was not found on the PATH.");
    const int code = app.launcher.runAndWait(program, {file}, kPrintTimeoutMs);
    if (code < 0)
        throw Error("The print program \"" + program + "\" could not be started or did not finish in " +
                    std::to_string(kPrintTimeoutMs / 1000) + " seconds.");
    if (code != 0)
        throw Error("The print program \"" + program + "\" failed with exit code " + std::to_string(code) + ".");
}

// An export that found no default printer leaves none behind, rather than leaving the PDF
// printer as the user's default for good.
void GiveBackDefaultPrinter(PrinterSystem& printers, const std::string& earlier) {
    if (!earlier.empty()) {
        SetDefaultPrinter(printers, earlier);
        return;
    }
    try {
        printers.clearDefaultQueue();
    } catch (...) {
    }
}

}  // namespace

std::string CreatePrintFile() { return CreateUniqueFile(TempFolder(), "tmp-", ".txt"); }

void mnuPDF_Click(ExportContext& ctx, PrinterSystem& printers) {
    AppContext& app = ctx.app;
    ErrorTrap trap(app.dialogs, errorTag("Form3", "mnuPDF_Click"));
    std::string printFile;
    trap.step(100, [&] { printFile = CreatePrintFile(); });  // 1. (the report says why it failed)
    if (printFile.empty()) return;
    bool written = false;
    trap.step(102, [&] { written = SaveDataGridToFile(app, ctx.grid, printFile, ctx.progress); });  // 2.
    if (!written || !std::filesystem::exists(printFile)) {  // 3. [104] the writer has reported why
        DeleteFileQuietly(app, printFile);
        return;
    }
    const PrinterVariablesSetAside printerVariables;  // so that the print program sees the new default
    std::string earlier;
    trap.step(106, [&] { earlier = GetDefaultPrinter(app, printers); });  // 4.
    bool switched = false;
    trap.step(108, [&] { switched = SetDefaultPrinter(printers, kPdfPrinterName); });  // 5.
    if (switched) trap.step(110, [&] { PrintToDefaultPrinter(app, printFile); });  // 6.
    trap.step(112, [&] { DeleteFileQuietly(app, printFile); });                    // 7.
    if (switched) trap.step(114, [&] { GiveBackDefaultPrinter(printers, earlier); });  // 8.
}

void mnuPDF_Click(ExportContext& ctx) {
    CupsPrinterSystem printers;
    mnuPDF_Click(ctx, printers);
}

}  // namespace vts
