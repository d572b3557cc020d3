// The grid editor's menu item "XLS": the grid copied into a new workbook of the spreadsheet
// program, which is left open for the user.
#pragma once
#include <string>

#include "export/export_context.h"

namespace vts {

// The first line of the message shown when there is no spreadsheet program.
inline constexpr const char* kNoSpreadsheetMessage =
    "Excel is not installed on this computer. You need to have it installed to use this feature.";

// That message whole: the first line, then what to do on this system (the programs looked for,
// or what is wrong with VTS_SPREADSHEET_PROGRAM).
std::string NoSpreadsheetMessage();

void mnuXLS_Click(ExportContext& ctx);

// True when the spreadsheet program can be started; shows NoSpreadsheetMessage() when it is
// missing. Never shows the error report.
bool IsExcelInstalled(AppContext& app);

}  // namespace vts
