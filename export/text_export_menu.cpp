#include "export/text_export_menu.h"

#include <optional>

#include "export/text_export.h"
#include "platform/shell/error_trap.h"

namespace vts {

namespace {

using Writer = bool (*)(AppContext&, DataGrid&, const std::string&, const Progress&);

// The save dialog and the writer, the same steps for all three items. The first failing step
// ends the handler: going on after a failed dialog would write to whatever name the dialog
// held from an earlier export.
void saveWithDialog(ExportContext& ctx, const std::string& handler, const char* filter, Writer writer) {
    ErrorTrap trap(ctx.app.dialogs, errorTag("Form3", handler));
    CommonDialog& dialog = ctx.dialog;
    std::optional<HourglassScope> hourglass;
    if (!trap.step(100, [&] { dialog.DialogTitle = "Save"; })) return;                  // 1.
    if (!trap.step(102, [&] { dialog.Filter = filter; })) return;                       // 2.
    if (!trap.step(104, [&] { dialog.ShowSave(); })) return;                            // 3.
    if (dialog.FileName.empty()) return;                                                // 4. [106]
    if (!trap.step(108, [&] { hourglass.emplace(ctx.pointer); })) return;               // 5.
    trap.step(110, [&] { writer(ctx.app, ctx.grid, dialog.FileName, ctx.progress); });  // 6.
    hourglass.reset();                                                                  // 7. [112]
}

}  // namespace

void mnuCSV_Click(ExportContext& ctx) {
    saveWithDialog(ctx, "mnuCSV_Click", "CSV Files (*.csv)|*.csv", SaveDataGridToCSVFile);
}

void mnuTXT_Click(ExportContext& ctx) {
    saveWithDialog(ctx, "mnuTXT_Click", "Text Files (*.txt)|*.txt", SaveDataGridToFile);
}

void mnuXML_Click(ExportContext& ctx) {
    saveWithDialog(ctx, "mnuXML_Click", "XML Files (*.xml)|*.xml", SaveDataGridToXMLFile);
}

}  // namespace vts
