#include "platform/xlsx/spreadsheet_program.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace vts::xlsx {

namespace {

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

std::optional<SpreadsheetProgram> FindSpreadsheetProgram(const EnvLookup& env) {
    const std::string path = env("PATH").value_or("/usr/local/bin:/usr/bin:/bin");
    if (const auto chosen = env("VTS_SPREADSHEET_PROGRAM"); chosen && !chosen->empty()) {
        std::string program = FindExecutable(*chosen, path);
        if (program.empty()) return std::nullopt;
        return SpreadsheetProgram{program, {}};
    }
    static const SpreadsheetProgram kKnown[] = {
        {"libreoffice", {"--calc"}}, {"localc", {}}, {"soffice", {"--calc"}}, {"gnumeric", {}}};
    for (const auto& known : kKnown) {
        std::string program = FindExecutable(known.program, path);
        if (!program.empty()) return SpreadsheetProgram{program, known.args};
    }
    return std::nullopt;
}

std::optional<SpreadsheetProgram> FindSpreadsheetProgram() {
    return FindSpreadsheetProgram([](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (!value) return std::nullopt;
        return std::string(value);
    });
}

}  // namespace vts::xlsx
