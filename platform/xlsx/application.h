// The spreadsheet automation object ("Excel.Application"): workbooks built here and shown in
// the desktop's spreadsheet program when the application is made visible.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/shell/launcher.h"
#include "platform/xlsx/spreadsheet_program.h"
#include "platform/xlsx/workbook.h"

namespace vts::xlsx {

class Workbooks {
public:
    // A new, empty workbook; throws vts::Error. Folders left by earlier workbooks that the
    // spreadsheet program no longer needs go first (RemoveStaleSheetFolders).
    Workbook& add();
    std::vector<std::unique_ptr<Workbook>>& items() { return items_; }

private:
    std::vector<std::unique_ptr<Workbook>> items_;
};

class Application {
public:
    Application(SpreadsheetProgram program, Launcher& launcher) : program_(std::move(program)), launcher_(launcher) {}

    xlsx::Workbooks& Workbooks() { return workbooks_; }
    // True writes every workbook not yet shown, read-only, and opens it in the spreadsheet
    // program, which runs on its own; the workbook's file then stays for it until a later
    // RemoveStaleSheetFolders. Throws vts::Error.
    void Visible(bool visible);
    // Ends this instance: workbooks that were never shown are discarded. The program showing
    // the others is not ours to end.
    void Quit();
    const SpreadsheetProgram& program() const { return program_; }

private:
    SpreadsheetProgram program_;
    Launcher& launcher_;
    xlsx::Workbooks workbooks_;
};

// The automation object for progId, or null when this machine has none: "Excel.Application"
// exists when a spreadsheet program is found (FindSpreadsheetProgram).
std::unique_ptr<Application> CreateObject(const std::string& progId, Launcher& launcher);

}  // namespace vts::xlsx
