// GetDefaultPrinter (module GetSetPrinter) and SetDefaultPrinter (module Datagrid1): the
// per-user default printer by its DeviceName.
#pragma once
#include <string>

#include "platform/print/printer_system.h"
#include "platform/shell/app_context.h"

namespace vts {

// What GetDefaultPrinter reports, as "Error No: 5", when no default printer is set.
inline constexpr int kNoDefaultPrinterError = 5;
inline constexpr const char* kNoDefaultPrinterText = "No default printer is set.";
// ... and, with the printing system's own description, when the default cannot be read.
inline constexpr int kPrinterError = 482;

// The message GetDefaultPrinter shows for a failure.
std::string DefaultPrinterErrorText(int number, const std::string& description);

// The DeviceName of the default printer. When there is none, or it cannot be read, shows
// DefaultPrinterErrorText (OK button, application title) and returns "".
std::string GetDefaultPrinter(AppContext& app, PrinterSystem& printers);

// Makes the first queue whose DeviceName is exactly printerName the per-user default.
// Never reports anything: returns false when there is no such queue or it cannot be set.
bool SetDefaultPrinter(PrinterSystem& printers, const std::string& printerName);

}  // namespace vts
