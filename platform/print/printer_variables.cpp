#include "platform/print/printer_variables.h"

#include <cstdlib>

namespace vts {

PrinterVariablesSetAside::PrinterVariablesSetAside() {
    for (const char* name : {"LPDEST", "PRINTER"}) {
        if (const char* value = std::getenv(name)) {
            saved_.emplace_back(name, value);
            ::unsetenv(name);
        }
    }
}

PrinterVariablesSetAside::~PrinterVariablesSetAside() {
    for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
}

}  // namespace vts
