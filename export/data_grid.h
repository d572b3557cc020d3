// The members of the grid control that the exporters read; the grid view implements them.
#pragma once
#include <string>

namespace vts {

// What a column holds, for an export that keeps numbers, dates and logicals as such.
enum class ColumnKind { Text, Number, Date, Time, DateTime, Logical };

class DataGrid {
public:
    virtual ~DataGrid() = default;
    // Called once before an export walks the rows: the grid scrolls to its first row, so that the
    // walk, which starts at the top of the visible window, visits every row.
    virtual void beginWalk() {}
    virtual long ApproxCount() = 0;    // rows to visit
    virtual int VisibleRows() = 0;     // height of the visible window in rows
    virtual void setRow(int row) = 0;  // makes row (0-based in the visible window) current
    // Moves the visible window down by rows. At the end of the table the window moves the full
    // distance too and then shows fewer rows, so that no row is shown twice.
    virtual void Scroll(int cols, int rows) = 0;
    virtual int columnCount() = 0;                 // Columns.Count
    virtual std::string columnCaption(int k) = 0;  // Columns(k).Caption
    virtual std::string columnText(int k) = 0;     // Columns(k).Text of the current row
    virtual ColumnKind columnKind(int) { return ColumnKind::Text; }
};

}  // namespace vts
