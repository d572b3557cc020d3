#include "export/printer_default.h"

#include <exception>

#include "platform/shell/dialogs.h"
#include "platform/shell/errors.h"

namespace vts {

namespace {

const char* const kSetDefaultAdvice =
    "The PDF is made all the same. To give your programs a default printer, run "
    "\"lpoptions -d QUEUE\" with one of the queues that \"lpstat -p\" lists.";
const char* const kStartServerAdvice =
    "No PDF can be made until the print server runs. Start it (\"sudo systemctl start cups\"; "
    "\"lpstat -r\" then says \"scheduler is running\") and export again.";
const char* const kCheckServerAdvice =
    "Check the print server with \"lpstat -r\" and the default printer with \"lpstat -d\", "
    "then export again.";

}  // namespace

std::string DefaultPrinterErrorText(int number, const std::string& description, const std::string& advice) {
    return "Error No: " + std::to_string(number) + "\r\n" + description +
           "\r\nHas occured in modPrinters.GetDefaultPrinter\r\nPlease contact Technical Support\r\n" + advice;
}

std::string GetDefaultPrinter(AppContext& app, PrinterSystem& printers, NoDefault none) {
    std::string name;
    int number = kNoDefaultPrinterError;
    std::string description = kNoDefaultPrinterText;
    std::string advice = kSetDefaultAdvice;
    bool answered = true;
    try {
        if (const auto queue = printers.defaultQueue()) name = DeviceName(*queue);  // 1.
    } catch (const PrintServerUnreachable& e) {
        answered = false;
        description = e.what();
        advice = kStartServerAdvice;
    } catch (const std::exception& e) {
        answered = false;
        number = kPrinterError;
        description = e.what();
        advice = kCheckServerAdvice;
    }
    if (name.empty() && !(answered && none == NoDefault::Quiet))
        app.message(DefaultPrinterErrorText(number, description, advice), mb::OkOnly);  // 2.
    return name;                                                                        // 3.
}

bool SetDefaultPrinter(PrinterSystem& printers, const std::string& printerName) {
    bool result = false;  // 1.
    try {                 // 2.
        for (const PrinterQueue& queue : printers.queues()) {
            if (DeviceName(queue) != printerName) continue;
            printers.setOwnDefault({queue.name, ""});
            result = true;  // 3.
            break;
        }
    } catch (...) {
        result = false;
    }
    return result;
}

EarlierDefault KeepDefaultPrinter(PrinterSystem& printers) { return {printers.ownDefault()}; }

void GiveBackDefaultPrinter(PrinterSystem& printers, const EarlierDefault& earlier) {
    try {
        if (earlier.own) printers.setOwnDefault(*earlier.own);
        else printers.clearOwnDefault();
    } catch (const std::exception& e) {
        const std::string wanted = earlier.own ? "\"" + ChoiceName(*earlier.own) + "\"" : "the system's default";
        throw Error("The default printer could not be given back to " + wanted + "; it is still the PDF printer. " +
                    e.what());
    }
}

}  // namespace vts
