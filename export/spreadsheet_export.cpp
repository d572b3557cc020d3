#include "export/spreadsheet_export.h"

#include <cstdio>
#include <memory>
#include <optional>

#include "export/grid_walk.h"
#include "platform/shell/error_trap.h"
#include "platform/pdx/format/value_text.h"
#include "platform/shell/errors.h"
#include "platform/xlsx/application.h"
#include "platform/xlsx/spreadsheet_program.h"

namespace vts {

namespace {

using Format = xlsx::SheetFile::DateFormat;

// A date the sheet can show as one: from 1900 on (earlier ones stay text, as typed they would).
std::optional<xlsx::SheetFile::DateTime> sheetDate(std::int32_t day, std::int32_t ms) {
    xlsx::SheetFile::DateTime d;
    if (std::sscanf(pdx::formatDate(day).c_str(), "%d-%d-%d", &d.year, &d.month, &d.day) != 3 || d.year < 1900)
        return std::nullopt;
    d.hour = ms / 3600000;
    d.minute = ms / 60000 % 60;
    d.second = (ms % 60000) / 1000.0;
    return d;
}

// As a spreadsheet takes the text typed into a cell: a number, a date, a time or a logical of a
// column that holds such values becomes one; text (a Zip code "007") stays text. False when the
// text is not of the column's kind (an empty cell), which then goes in as text.
bool putTyped(xlsx::Cell cell, ColumnKind kind, const std::string& text) {
    switch (kind) {
        case ColumnKind::Number: {
            const auto v = pdx::parseDouble(text);
            if (v) cell.Number(*v, text);
            return v.has_value();
        }
        case ColumnKind::Logical: {
            const auto v = pdx::parseLogical(text);
            if (v) cell.Boolean(*v, text);
            return v.has_value();
        }
        case ColumnKind::Time: {
            const auto ms = pdx::parseTime(text);
            if (ms) cell.Date({0, 0, 0, *ms / 3600000, *ms / 60000 % 60, (*ms % 60000) / 1000.0}, Format::Time, text);
            return ms.has_value();
        }
        case ColumnKind::Date:
        case ColumnKind::DateTime: {
            const auto v = pdx::parseDateTime(text);
            const auto d = v ? sheetDate(v->day, v->ms) : std::nullopt;
            if (d) cell.Date(*d, v->hasTime ? Format::DateTime : Format::Date, text);
            return d.has_value();
        }
        case ColumnKind::Text: return false;
    }
    return false;
}

// One cell. A text the cell cannot hold whole is reported under the step's label, and the copy
// goes on: the cell keeps what it can and the report says what it lost. Any other failure
// ends the step.
void putCell(ErrorTrap& trap, int label, xlsx::Workbook& book, long r, long c, const std::string& text,
             ColumnKind kind = ColumnKind::Text) {
    try {
        if (!putTyped(book.ActiveSheet().Cells(r, c), kind, text)) book.ActiveSheet().Cells(r, c).Value(text);
    } catch (const xlsx::CellNotWhole& notWhole) {
        trap.step(label, [&] { throw notWhole; });
    }
}

void copyHeader(ErrorTrap& trap, DataGrid& grid, xlsx::Workbook& book) {
    long c = 1;
    const int count = grid.columnCount();  // read once
    for (int k = 0; k < count; ++k) {
        putCell(trap, 110, book, 1, c, grid.columnCaption(k));
        ++c;
    }
}

void copyRows(ErrorTrap& trap, ExportContext& ctx, xlsx::Workbook& book) {
    WalkPacer pacer(ctx.app.yieldToUi, ctx.progress);
    long r = 2;
    GridWalk(ctx.grid, pacer, [&](long n) {
        // Known at the first row: a table too long for a sheet fails now, not after a long copy.
        if (n == 0 && pacer.total() >= xlsx::kMaxRows)
            throw Error("The table has more rows than a worksheet can hold (" + std::to_string(xlsx::kMaxRows - 1) +
                        " below the headings).");
        long c = 1;
        const int count = ctx.grid.columnCount();  // read afresh for each row
        for (int k = 0; k < count; ++k) {
            putCell(trap, 112, book, r, c, ctx.grid.columnText(k), ctx.grid.columnKind(k));
            ++c;
        }
        ++r;
    });
}

}  // namespace

// A cell whose text the sheet cannot hold whole is reported, and the copy goes on with the next
// cell. Any other failing step ends the handler with one report: after it the workbook is
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
    if (!trap.step(106, [&] {  // 4.
            excel = xlsx::CreateObject("Excel.Application", ctx.app.launcher);
            if (!excel) throw Error("The spreadsheet program cannot be started.");
        }))
        return;
    xlsx::Workbook* book = nullptr;
    if (!trap.step(108, [&] { book = &excel->Workbooks().add(); })) return;         // 5.
    if (!trap.step(110, [&] { copyHeader(trap, ctx.grid, *book); })) return;        // 6.
    if (!trap.step(112, [&] { copyRows(trap, ctx, *book); })) return;               // 7.
    if (!trap.step(114, [&] { book->ActiveSheet().Columns().Autofit(); })) return;  // 8.
    trap.step(116, [&] { excel->Visible(true); });                                  // 9.
}

std::string NoSpreadsheetMessage() {
    return std::string(kNoSpreadsheetMessage) + "\r\n\r\n" + xlsx::MissingProgramAdvice();
}

bool IsExcelInstalled(AppContext& app) {
    try {
        bool result = false;                                                 // 1.
        auto excel = xlsx::CreateObject("Excel.Application", app.launcher);  // 2.
        if (!excel) {
            app.message(NoSpreadsheetMessage(), mb::OkOnly);  // 3.
        } else {
            excel->Quit();  // 4.
            excel.reset();
            result = true;
        }
        return result;
    } catch (...) {
        return false;  // 5. any error makes the answer "no", without a report
    }
}

}  // namespace vts
