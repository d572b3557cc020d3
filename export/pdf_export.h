// mnuPDF_Click (Form3): the grid's rows, as tab-separated text, printed to the PDF printer
// queue "Quillmere PDF Writer", which turns them into a PDF file.
#pragma once
#include <string>

#include "export/export_context.h"
#include "platform/print/printer_system.h"

namespace vts {

// How long the print program may take to hand the job to the printing system.
inline constexpr int kPrintTimeoutMs = 30000;
// How long to look for the PDF the printer makes of the job before naming only its folder.
inline constexpr int kPdfWaitMs = 5000;

// The job's title (and so the PDF's name) when the caller names no table.
inline constexpr const char* kUntitledPrintJob = "Table";

// The job title for a table: its name, with what cannot stand in a file name ("/", control
// characters) made "_"; kUntitledPrintJob for an empty name, "." or "..".
std::string PrintJobTitle(const std::string& tableName);

// The temporary print file: "<title>.txt" in a fresh folder of TempFolder() that only the user
// can enter. A fixed name in a shared folder would let another user plant a link there and
// have the export overwrite or print a file of theirs; the print program names the job after
// the file when it is given no title, so the file carries the title too.
std::string CreatePrintFile(const std::string& title);

// Removes the temporary print file (DeleteFileQuietly) and then its folder. Never reports.
void RemovePrintFile(AppContext& app, const std::string& path);

// Writes the grid into the temporary print file, makes the PDF printer the default, lays the
// rows out as aligned columns and prints them with the print program under tableName as the
// job title, waiting until the job is spooled, deletes the file and gives back the user's
// earlier default. Runs under the error report; on success says where the PDF was written (the
// file, or the PDF printer's folder) when the printing system knows that folder; shows the
// installation instructions when the PDF printer is missing, and nothing when the user simply
// has no default printer.
void mnuPDF_Click(ExportContext& ctx, PrinterSystem& printers, const std::string& tableName = {});
void mnuPDF_Click(ExportContext& ctx, const std::string& tableName = {});  // against this machine's CUPS

}  // namespace vts
