#include "export/printer_check.h"

#include "platform/print/cups_printers.h"
#include "platform/shell/dialogs.h"

namespace vts {

bool PdfPrinterInstalled(PrinterSystem& printers) {
    for (const PrinterQueue& queue : printers.queues())
        if (DeviceName(queue) == kPdfPrinterName) return true;
    return false;
}

std::string PdfPrinterInstructions() {
    const std::string queue = kPdfPrinterName;
    return queue + " is not installed. Please follow these instructions:" + "\r\n" + "\r\n" +
           "1) Go to Control Panel -> Printers and Faxes to add a local printer." + "\r\n" +
           "2) Choose ''CPW2: (" + queue + ")'' on Select a Printer Port dialog box, click Next." +
           "\r\n" + "3) Choose a Postscript printer (e.g. HP Color LaserJet PS), click Next." + "\r\n" +
           "4) Enter " + queue + " as Printer name, click Next -> Finish.";
}

void CheckPdfPrinter(AppContext& app, PrinterSystem& printers) {
    if (!PdfPrinterInstalled(printers))            // 1.
        app.message(PdfPrinterInstructions(), mb::OkOnly);  // 2.
}

void CheckPdfPrinter(AppContext& app) {
    CupsPrinterSystem printers;
    CheckPdfPrinter(app, printers);
}

}  // namespace vts
