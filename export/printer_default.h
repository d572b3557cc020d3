// GetDefaultPrinter (module GetSetPrinter) and SetDefaultPrinter (module Datagrid1): the
// per-user default printer, and keeping and giving back the user's own choice around a print.
#pragma once
#include <optional>
#include <string>

#include "platform/print/printer_system.h"
#include "platform/shell/app_context.h"

namespace vts {

// What GetDefaultPrinter reports, as "Error No: 5", when there is no default printer: none is
// set, or no print server answers.
inline constexpr int kNoDefaultPrinterError = 5;
inline constexpr const char* kNoDefaultPrinterText = "No default printer is set.";
// ... and, with the printing system's own description, when the default cannot be read.
inline constexpr int kPrinterError = 482;

// The message GetDefaultPrinter shows: the error number, what went wrong, where it happened and
// whom to ask (the design's lines), then what to do about it on this system.
std::string DefaultPrinterErrorText(int number, const std::string& description, const std::string& advice);

// The DeviceName of the default printer. When there is none, or it cannot be read, shows
// DefaultPrinterErrorText (OK button, application title) and returns "". Quiet leaves out the
// message when the printing system answers but simply has no default: a caller that goes on
// all the same has nothing to report.
enum class NoDefault { Report, Quiet };
std::string GetDefaultPrinter(AppContext& app, PrinterSystem& printers, NoDefault none = NoDefault::Report);

// Makes the first queue whose DeviceName is exactly printerName the per-user default.
// Never reports anything: returns false when there is no such queue or it cannot be set.
bool SetDefaultPrinter(PrinterSystem& printers, const std::string& printerName);

// The user's own default as it was before the export changed it: the queue and instance
// themselves, since a DeviceName may be shared by several queues and names no instance.
struct EarlierDefault {
    std::optional<PrinterChoice> own;  // nullopt: the user had no default of their own
};

// Reads the user's own default. Throws vts::Error when it cannot be read; the default must
// then not be changed, as it could not be given back.
EarlierDefault KeepDefaultPrinter(PrinterSystem& printers);

// Makes the kept choice the user's own default again, or removes the user's own default when
// they had none, so that the system-wide default applies to them again as before rather than
// being copied into their own settings. Throws vts::Error saying what is left when it cannot.
void GiveBackDefaultPrinter(PrinterSystem& printers, const EarlierDefault& earlier);

}  // namespace vts
