// The grid editor's menu item "XLS": the grid copied into a new workbook of the spreadsheet
// program, which is left open for the user.
#pragma once
#include "export/export_context.h"

namespace vts {

inline constexpr const char* kNoSpreadsheetMessage =
    "Excel is not installed on this computer. You need to have it installed to use this feature.";

void mnuXLS_Click(ExportContext& ctx);

// True when the spreadsheet program can be started; shows kNoSpreadsheetMessage when it is
// missing. Never shows the error report.
bool IsExcelInstalled(AppContext& app);

}  // namespace vts
