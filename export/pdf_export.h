// mnuPDF_Click (Form3): the grid's rows, as tab-separated text, printed to the PDF printer
// queue "Quillmere PDF Writer", which turns them into a PDF file.
#pragma once
#include <string>

#include "export/export_context.h"
#include "platform/print/printer_system.h"

namespace vts {

// How long the print program may take to hand the job to the printing system.
inline constexpr int kPrintTimeoutMs = 30000;

// The temporary print file: a fresh, empty "tmp-XXXXXX.txt" in TempFolder(). A fixed name in
// a shared folder would let another user plant a link there and have the export overwrite
// or print a file of theirs.
std::string CreatePrintFile();

// Writes the grid into the temporary print file, makes the PDF printer the default, prints
// the file with the print program and waits until the job is spooled, deletes the file and
// gives back the earlier default. Runs under the error report; shows nothing on success, and
// nothing at all when the PDF printer is missing.
void mnuPDF_Click(ExportContext& ctx, PrinterSystem& printers);
void mnuPDF_Click(ExportContext& ctx);  // against this machine's CUPS

}  // namespace vts
