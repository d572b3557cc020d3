#include "platform/xlsx/spreadsheet_program.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <iterator>

namespace vts::xlsx {

namespace {

constexpr const char* kDefaultPath = "/usr/local/bin:/usr/bin:/bin";

std::optional<std::string> processEnv(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindExecutable(const std::string& name, const std::string& pathVariable) {
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return isExecutableFile(name) ? name : std::string();
    size_t start = 0;
    while (start <= pathVariable.size()) {
        size_t end = pathVariable.find(':', start);
        if (end == std::string::npos) end = pathVariable.size();
        const std::string dir = pathVariable.substr(start, end - start);
        const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (isExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

std::vector<std::string> ArgumentsFor(const std::string& program) {
    const std::string name = program.substr(program.rfind('/') + 1);
    if (name == "libreoffice" || name == "soffice") return {"--calc", "-n"};
    if (name == "localc") return {"-n"};
    return {};
}

std::optional<SpreadsheetProgram> FindSpreadsheetProgram(const EnvLookup& env) {
    const std::string path = env("PATH").value_or(kDefaultPath);
    if (const auto chosen = env("VTS_SPREADSHEET_PROGRAM"); chosen && !chosen->empty()) {
        std::string program = FindExecutable(*chosen, path);
        if (program.empty()) return std::nullopt;
        return SpreadsheetProgram{program, ArgumentsFor(program)};
    }
    for (const char* known : kSpreadsheetPrograms) {
        std::string program = FindExecutable(known, path);
        if (!program.empty()) return SpreadsheetProgram{program, ArgumentsFor(program)};
    }
    return std::nullopt;
}

std::optional<SpreadsheetProgram> FindSpreadsheetProgram() { return FindSpreadsheetProgram(processEnv); }

std::string MissingProgramAdvice(const EnvLookup& env) {
    std::string names;
    const size_t count = std::size(kSpreadsheetPrograms);
    for (size_t i = 0; i < count; ++i)
        names += std::string(i == 0 ? "" : i + 1 == count ? " and " : ", ") + kSpreadsheetPrograms[i];
    if (const auto chosen = env("VTS_SPREADSHEET_PROGRAM"); chosen && !chosen->empty())
        return "The environment variable VTS_SPREADSHEET_PROGRAM names \"" + *chosen +
               "\", which is not a program that can be started. Set it to the path of a spreadsheet "
               "program, or remove it to use the first of " +
               names + " found on PATH.";
    return "On this system the grid opens in a spreadsheet program such as LibreOffice Calc or "
           "Gnumeric, but none of " +
           names +
           " was found on PATH. Install one of them (Debian packages libreoffice-calc or gnumeric), or set the "
           "environment variable VTS_SPREADSHEET_PROGRAM to the spreadsheet program to use.";
}

std::string MissingProgramAdvice() { return MissingProgramAdvice(processEnv); }

}  // namespace vts::xlsx
