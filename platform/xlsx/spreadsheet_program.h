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

// The programs looked for, in order of preference.
inline constexpr const char* kSpreadsheetPrograms[] = {"libreoffice", "localc", "soffice", "gnumeric"};

// The arguments before the workbook's path, by the program's file name. LibreOffice's "-n"
// opens the file as a template: the user meets an untitled workbook whose Save asks where.
// Gnumeric has no such option (its command line takes only files, geometry and splash/warning
// switches), so it opens the file itself; the file is read-only for that reason.
std::vector<std::string> ArgumentsFor(const std::string& program);

// Reads an environment variable; nullopt when it is not set.
using EnvLookup = std::function<std::optional<std::string>(const std::string& name)>;

// VTS_SPREADSHEET_PROGRAM, when set and not empty, names the one program to use (a path, or a
// name looked up on PATH). Otherwise the first of kSpreadsheetPrograms found on PATH. nullopt
// when there is none. The arguments are those of ArgumentsFor.
std::optional<SpreadsheetProgram> FindSpreadsheetProgram(const EnvLookup& env);
std::optional<SpreadsheetProgram> FindSpreadsheetProgram();  // the process environment

// What to do when FindSpreadsheetProgram found nothing: the programs looked for, or what is
// wrong with VTS_SPREADSHEET_PROGRAM when it is set.
std::string MissingProgramAdvice(const EnvLookup& env);
std::string MissingProgramAdvice();  // the process environment

// The executable that name stands for: itself when it holds a '/', else the first match in
// the ':'-separated folders of pathVariable. Empty when there is no executable file.
std::string FindExecutable(const std::string& name, const std::string& pathVariable);

}  // namespace vts::xlsx
