// Shared pieces of the PDF export tests, beside the exporter tests' grid and scratch folder:
// the TXT bytes to expect and the user's own default printer.
#pragma once
#include <stdlib.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/print/printer_system.h"
#include "tests/export/export_test_support.h"
#include "tests/support/scoped_env.h"

namespace vts {
inline void PrintTo(const PrinterChoice& choice, std::ostream* os) { *os << ChoiceName(choice); }
}  // namespace vts

namespace vts::test {

// The TXT bytes SaveDataGridToFile writes for these rows.
inline std::string TxtBytes(const std::vector<std::string>& captions, const Rows& rows) {
    std::string text;
    for (const auto& c : captions) text += c + "\t";
    text += "\r\n";
    for (const auto& row : rows) {
        for (const auto& cell : row) text += cell + "\t";
        text += "\r\n";
    }
    return text + "\r\n";
}

// The user's own default set to that queue (or "queue/instance").
inline std::optional<PrinterChoice> Own(const std::string& name) {
    const auto slash = name.find('/');
    if (slash == std::string::npos) return PrinterChoice{name, ""};
    return PrinterChoice{name.substr(0, slash), name.substr(slash + 1)};
}

}  // namespace vts::test
