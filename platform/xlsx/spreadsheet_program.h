// Which program shows a spreadsheet on this machine.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vts::xlsx {

struct SpreadsheetProgram {
    std::string program;            // full path of the executable
    std::vector<std::string> args;  // arguments before the workbook's path
};

// Reads an environment variable; nullopt when it is not set.
using EnvLookup = std::function<std::optional<std::string>(const std::string& name)>;

// VTS_SPREADSHEET_PROGRAM, when set and not empty, names the one program to use (a path, or a
// name looked up on PATH). Otherwise the first of "libreoffice --calc", "localc",
// "soffice --calc" and "gnumeric" found on PATH. nullopt when there is none.
std::optional<SpreadsheetProgram> FindSpreadsheetProgram(const EnvLookup& env);
std::optional<SpreadsheetProgram> FindSpreadsheetProgram();  // the process environment

// The executable that name stands for: itself when it holds a '/', else the first match in
// the ':'-separated folders of pathVariable. Empty when there is no executable file.
std::string FindExecutable(const std::string& name, const std::string& pathVariable);

}  // namespace vts::xlsx
