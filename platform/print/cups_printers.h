// The printer system of this machine: CUPS queues, and the user's own default printer kept in
// their lpoptions file (what "lpoptions -d" sets and "lpstat -d" shows).
#pragma once
#include "platform/print/printer_system.h"

namespace vts {

// LPDEST and PRINTER in the environment override the per-user default for libcups and lp;
// callers that change the default and then print set them aside (PrinterVariablesSetAside).
class CupsPrinterSystem : public PrinterSystem {
public:
    std::vector<PrinterQueue> queues() override;
    std::optional<PrinterQueue> defaultQueue() override;
    std::optional<PrinterChoice> ownDefault() override;
    void setOwnDefault(const PrinterChoice& choice) override;
    void clearOwnDefault() override;
    std::optional<std::string> pdfFolder() override;
    int activeJobs(const std::string& queue) override;
};

}  // namespace vts
