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
           "1) Install the print server and its PDF printer: sudo apt-get install cups printer-driver-cups-pdf" +
           "\r\n" +
           "2) Start the print server: sudo systemctl start cups (\"lpstat -r\" then says \"scheduler is running\")." +
           "\r\n" + "3) Add the queue: sudo lpadmin -p " + kPdfPrinterQueue + " -E -v cups-pdf:/ -m " +
           kPdfPrinterModel + " -D \"" + queue + "\" -o pdftops-renderer-default=pdftocairo" + "\r\n" +
           "4) Save Results As -> PDF then writes the PDF files into the folder PDF of your home folder.";
}

bool CheckPdfPrinter(AppContext& app, PrinterSystem& printers) {
    bool notAgain = true;
    if (PdfPrinterInstalled(printers)) return false;                        // 1.
    app.messageWithOptOut(PdfPrinterInstructions(), mb::OkOnly, notAgain);  // 2.
    // A print server that is only down today lists no queue: the notice stays on for next time.
    return notAgain && PrintServerAnswers(printers);
}

bool PrintServerAnswers(PrinterSystem& printers) {
    try {
        printers.defaultQueue();
    } catch (const PrintServerUnreachable&) {
        return false;
    } catch (const std::exception&) {}
    return true;
}

bool CheckPdfPrinter(AppContext& app) {
    CupsPrinterSystem printers;
    return CheckPdfPrinter(app, printers);
}

}  // namespace vts
