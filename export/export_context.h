// What the grid editor hands to an export menu item: the platform services, its grid, its save
// dialog and its mouse pointer, plus an optional progress display for long exports.
#pragma once
#include <functional>
#include <string>

#include "export/common_dialog.h"
#include "export/data_grid.h"
#include "platform/shell/app_context.h"
#include "platform/shell/pointer.h"

namespace vts {

// Called now and then during a long export with the rows done so far and the rows to do.
using ExportProgress = std::function<void(long done, long total)>;

struct ExportContext {
    AppContext& app;
    DataGrid& grid;
    CommonDialog& dialog;  // CommonDialog1 of Form3, shared by the text exports
    PointerHost& pointer;  // the form's mouse pointer
    ExportProgress progress = {};
    std::string tableName = {};  // the table shown, for titles (the printed job's)
};

}  // namespace vts
