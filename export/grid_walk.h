// The grid walk: every row of the grid made current once, in display order, by moving the
// current row down the visible window and scrolling the window on when it is used up.
#pragma once
#include <chrono>
#include <functional>

#include "export/data_grid.h"
#include "export/export_context.h"

namespace vts {

// Keeps the window responsive during a walk: yields to the user interface and reports progress
// at most every few milliseconds, since doing it per row would cost more than the row itself.
class WalkPacer {
public:
    WalkPacer(std::function<void()> yieldToUi, Progress progress,
              std::chrono::steady_clock::duration interval = std::chrono::milliseconds(10));
    void start(long total);
    void rowDone(long done);
    void finish();
    long total() const { return total_; }  // the walk's RowCount

private:
    void tell(long done);
    std::function<void()> yield_;
    Progress progress_;
    Throttle throttle_;
    long total_ = 0;
};

// Walks the grid and calls visit(n) with the row number n (0-based) once the row is current.
// Returns the number of rows visited. Grid errors propagate to the caller.
long GridWalk(DataGrid& grid, WalkPacer& pacer, const std::function<void(long n)>& visit);

}  // namespace vts
