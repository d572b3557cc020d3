// What the grid editor hands to an export menu item: the platform services, its grid, its save
// dialog and its mouse pointer, plus an optional progress display for long exports.
#pragma once
#include <functional>
#include <string>

#include "export/common_dialog.h"
#include "export/data_grid.h"
#include "platform/shell/app_context.h"
#include "platform/shell/progress.h"
#include "platform/shell/pointer.h"

namespace vts {

struct ExportContext {
    AppContext& app;
    DataGrid& grid;
    CommonDialog& dialog;  // CommonDialog1 of Form3, shared by the text exports
    PointerHost& pointer;  // the form's mouse pointer
    Progress progress = {};
    std::string tableName = {};  // the table shown, for titles (the printed job's)
};

}  // namespace vts
