#include "export/spreadsheet_export.h"

#include <memory>
#include <optional>

#include "export/grid_walk.h"
#include "platform/shell/error_trap.h"
#include "platform/shell/errors.h"
#include "platform/xlsx/application.h"

namespace vts {

namespace {

void copyHeader(DataGrid& grid, xlsx::Workbook& book) {
    long c = 1;
    const int count = grid.columnCount();  // read once
    for (int k = 0; k < count; ++k) {
        book.ActiveSheet().Cells(1, c).Value(grid.columnCaption(k));
        ++c;
    }
}

void copyRows(ExportContext& ctx, xlsx::Workbook& book) {
    WalkPacer pacer(ctx.app.yieldToUi, ctx.progress);
    long r = 2;
    GridWalk(ctx.grid, pacer, [&](long n) {
        // Known at the first row: a table too long for a sheet fails now, not after a long copy.
        if (n == 0 && pacer.total() >= xlsx::kMaxRows)
            throw Error("The table has more rows than a worksheet can hold (" +
                        std::to_string(xlsx::kMaxRows - 1) + " below the headings).");
        long c = 1;
        const int count = ctx.grid.columnCount();  // read afresh for each row
        for (int k = 0; k < count; ++k) {
            book.ActiveSheet().Cells(r, c).Value(ctx.grid.columnText(k));
            ++c;
        }
        ++r;
    });
}

}  // namespace

// The first failing step ends the handler with one report: after a failure the workbook is
// incomplete, and going on would show it as if it held the whole grid.
void mnuXLS_Click(ExportContext& ctx) {
    ErrorTrap trap(ctx.app.dialogs, errorTag("Form3", "mnuXLS_Click"));
    bool hasRows = false;
    if (!trap.step(100, [&] { hasRows = ctx.grid.ApproxCount() > 0; }) || !hasRows) return;  // 1.
    bool installed = false;
    if (!trap.step(102, [&] { installed = IsExcelInstalled(ctx.app); }) || !installed) return;  // 2.
    std::optional<HourglassScope> hourglass;  // back to the arrow on every way out: 10. [118]
    if (!trap.step(104, [&] { hourglass.emplace(ctx.pointer); })) return;  // 3.
    std::unique_ptr<xlsx::Application> excel;
    if (!trap.step(106, [&] {                                               // 4.
            excel = xlsx::CreateObject("Excel.Application", ctx.app.launcher);
            if (!excel) throw Error("The spreadsheet program cannot be started.");
        }))
        return;
    xlsx::Workbook* book = nullptr;
    if (!trap.step(108, [&] { book = &excel->Workbooks().add(); })) return;          // 5.
    if (!trap.step(110, [&] { copyHeader(ctx.grid, *book); })) return;               // 6.
    if (!trap.step(112, [&] { copyRows(ctx, *book); })) return;                      // 7.
    if (!trap.step(114, [&] { book->ActiveSheet().Columns().Autofit(); })) return;   // 8.
    trap.step(116, [&] { excel->Visible(true); });                                   // 9.
}

bool IsExcelInstalled(AppContext& app) {
    try {
        bool result = false;                                                 // 1.
        auto excel = xlsx::CreateObject("Excel.Application", app.launcher);  // 2.
        if (!excel) {
            app.message(kNoSpreadsheetMessage, mb::OkOnly);                 // 3.
        } else {
            excel->Quit();                                                   // 4.
            excel.reset();
            result = true;
        }
        return result;
    } catch (...) {
        return false;  // 5. any error makes the answer "no", without a report
    }
}

}  // namespace vts
