#include "platform/xlsx/application.h"

#include "platform/shell/errors.h"
#include "platform/xlsx/stale_folders.h"

namespace vts::xlsx {

// Each new workbook first clears what earlier ones left for the spreadsheet program.
Workbook& Workbooks::add() {
    RemoveStaleSheetFolders();
    items_.push_back(std::make_unique<Workbook>());
    return *items_.back();
}

void Application::Visible(bool visible) {
    if (!visible) return;
    for (auto& book : workbooks_.items()) {
        if (book->saved()) continue;
        std::vector<std::string> args = program_.args;
        args.push_back(book->save());
        if (!launcher_.startDetached(program_.program, args))
            throw Error("Cannot start the spreadsheet program \"" + program_.program + "\".");
        book->keep();
    }
}

void Application::Quit() { workbooks_.items().clear(); }

std::unique_ptr<Application> CreateObject(const std::string& progId, Launcher& launcher) {
    if (progId != "Excel.Application") return nullptr;
    auto program = FindSpreadsheetProgram();
    if (!program) return nullptr;
    return std::make_unique<Application>(std::move(*program), launcher);
}

}  // namespace vts::xlsx
