#include "export/printer_default.h"

#include <exception>

#include "platform/shell/dialogs.h"

namespace vts {

std::string DefaultPrinterErrorText(int number, const std::string& description) {
    return "Error No: " + std::to_string(number) + "\r\n" + description + "\r\n" + "Has occured in " +
           "modPrinters.GetDefaultPrinter" + "\r\n" + "Please contact Technical Support";
}

std::string GetDefaultPrinter(AppContext& app, PrinterSystem& printers) {
    std::string name;
    int number = kNoDefaultPrinterError;
    std::string description = kNoDefaultPrinterText;
    try {
        if (const auto queue = printers.defaultQueue()) name = DeviceName(*queue);  // 1.
    } catch (const std::exception& e) {
        number = kPrinterError;
        description = e.what();
    }
    if (name.empty()) app.message(DefaultPrinterErrorText(number, description), mb::OkOnly);  // 2.
    return name;  // 3.
}

bool SetDefaultPrinter(PrinterSystem& printers, const std::string& printerName) {
    bool result = false;  // 1.
    try {                 // 2.
        for (const PrinterQueue& queue : printers.queues()) {
            if (DeviceName(queue) != printerName) continue;
            printers.setDefaultQueue(queue.name);
            result = true;  // 3.
            break;
        }
    } catch (...) {
        result = false;
    }
    return result;
}

}  // namespace vts
