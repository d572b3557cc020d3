// The members of the grid control that the exporters read; the grid view implements them.
#pragma once
#include <string>

namespace vts {

class DataGrid {
public:
    virtual ~DataGrid() = default;
    virtual long ApproxCount() = 0;         // rows to visit
    virtual int VisibleRows() = 0;          // height of the visible window in rows
    virtual void setRow(int row) = 0;       // makes row (0-based in the visible window) current
    virtual void Scroll(int cols, int rows) = 0;  // moves the visible window down by rows
    virtual int columnCount() = 0;          // Columns.Count
    virtual std::string columnCaption(int k) = 0;  // Columns(k).Caption
    virtual std::string columnText(int k) = 0;     // Columns(k).Text of the current row
};

}  // namespace vts
