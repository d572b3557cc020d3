// CheckPdfPrinter (module Main): tells the user at start-up how to install the PDF printer
// queue when it is missing.
#pragma once
#include <string>

#include "platform/print/printer_system.h"
#include "platform/shell/app_context.h"

namespace vts {

// The DeviceName of the PDF printer queue, compared exactly, case included.
inline constexpr const char* kPdfPrinterName = "Quillmere PDF Writer";
// What the instructions have the user create: a cups-pdf queue (queue names cannot hold blanks)
// described kPdfPrinterName. pdftocairo keeps the PDF's text extractable.
inline constexpr const char* kPdfPrinterQueue = "Quillmere_PDF_Writer";
inline constexpr const char* kPdfPrinterModel = "lsb/usr/cups-pdf/CUPS-PDF_opt.ppd";

// True when an installed queue's DeviceName is exactly kPdfPrinterName.
bool PdfPrinterInstalled(PrinterSystem& printers);

// The six-line installation instructions: the CUPS commands that install, start and add the
// queue. They also cover a print server that is not running, which lists no queue at all.
std::string PdfPrinterInstructions();

// Shows the instructions (OK button, application title) when the queue is missing, with a
// "Do not show this again" box, ticked: a user who prints no PDFs is told once. Returns whether
// the user left it ticked and the print server answered (one that is down lists no queue). No
// error trap of its own: a failure reaches the caller's.
bool CheckPdfPrinter(AppContext& app, PrinterSystem& printers);
// False when no print server is there to answer (it then lists no queue at all).
bool PrintServerAnswers(PrinterSystem& printers);
bool CheckPdfPrinter(AppContext& app);  // against this machine's CUPS

}  // namespace vts
