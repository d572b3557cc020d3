// CheckPdfPrinter (module Main): tells the user at start-up how to install the PDF printer
// queue when it is missing.
#pragma once
#include <string>

#include "platform/print/printer_system.h"
#include "platform/shell/app_context.h"

namespace vts {

// The DeviceName of the PDF printer queue, compared exactly, case included.
inline constexpr const char* kPdfPrinterName = "Quillmere PDF Writer";

// True when an installed queue's DeviceName is exactly kPdfPrinterName.
bool PdfPrinterInstalled(PrinterSystem& printers);

// The six-line installation instructions.
std::string PdfPrinterInstructions();

// Shows the instructions (OK button, application title) when the queue is missing. No error
// trap of its own: a failure reaches the caller's.
void CheckPdfPrinter(AppContext& app, PrinterSystem& printers);
void CheckPdfPrinter(AppContext& app);  // against this machine's CUPS

}  // namespace vts
