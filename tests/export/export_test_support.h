// Shared pieces of the exporter tests: a scratch folder, file reading, and running an
// independent reader in Debian's Python with the expected cells as JSON.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "export/common_dialog.h"
#include "export/export_context.h"
#include "platform/shell/app_context.h"
#include "platform/shell/dialogs.h"
#include "platform/shell/launcher.h"
#include "platform/shell/pointer.h"
#include "tests/export/fake_grid.h"
#include "tests/support/file_contents.h"
#include "tests/support/headless.h"

namespace vts::test {

using ScratchDir = TempDir;

inline std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

// [[heading...], [cell...], ...] as JSON.
inline std::string jsonTable(const std::vector<std::string>& head, const Rows& rows) {
    auto line = [](const std::vector<std::string>& cells) {
        std::string out = "[";
        for (size_t i = 0; i < cells.size(); ++i) out += (i ? "," : "") + jsonString(cells[i]);
        return out + "]";
    };
    std::string out = "[" + line(head);
    for (const auto& r : rows) out += "," + line(r);
    return out + "]";
}

struct PythonResult {
    int status = -1;
    std::string output;
};

// Runs script (Python source) with /usr/bin/python3 and the given arguments.
inline PythonResult runPython(const ScratchDir& dir, const std::string& script, const std::vector<std::string>& args) {
    const std::string scriptPath = dir.file("check.py");
    writeFile(scriptPath, script);
    std::string command = "/usr/bin/python3 '" + scriptPath + "'";
    for (const auto& a : args) command += " '" + a + "'";
    PythonResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) result.output.append(buf, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The objects Form3 hands to an export, with scripted dialogs and a recording launcher.
struct FormStandIn {
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    AppContext app{dialogs, launcher};
    CommonDialog dialog{dialogs};
    PlainPointer pointer;
    int yields = 0;
    FormStandIn() {
        app.yieldToUi = [this] { ++yields; };
    }
    ExportContext context(DataGrid& grid) { return ExportContext{app, grid, dialog, pointer}; }
};

}  // namespace vts::test
