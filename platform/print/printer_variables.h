// Sets LPDEST and PRINTER aside while a routine changes the default printer and prints.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace vts {

// Either variable names a printer that libcups and lp take in place of the per-user default,
// so a print job sent "to the default printer" would miss the queue just made the default.
// For the length of the scope both are removed from the environment (which the print program
// inherits); afterwards they are put back as they were. The program runs its handlers on one
// thread, which is what makes changing the environment here safe.
class PrinterVariablesSetAside {
public:
    PrinterVariablesSetAside();
    ~PrinterVariablesSetAside();
    PrinterVariablesSetAside(const PrinterVariablesSetAside&) = delete;
    PrinterVariablesSetAside& operator=(const PrinterVariablesSetAside&) = delete;

private:
    std::vector<std::pair<std::string, std::string>> saved_;
};

}  // namespace vts
