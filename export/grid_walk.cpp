#include "export/grid_walk.h"

#include <algorithm>

namespace vts {

WalkPacer::WalkPacer(std::function<void()> yieldToUi, Progress progress, std::chrono::steady_clock::duration interval)
    // Reading the clock costs about as much as a short row: look every 64 rows.
    : yield_(std::move(yieldToUi)), progress_(std::move(progress)), throttle_(interval, 64) {}

void WalkPacer::start(long total) {
    total_ = total;
    if (progress_) progress_(0, total_);
}

void WalkPacer::rowDone(long done) {
    if (throttle_.due()) tell(done);
}

void WalkPacer::finish() { tell(total_); }

void WalkPacer::tell(long done) {
    if (progress_) progress_(done, total_);
    if (yield_) yield_();
}

long GridWalk(DataGrid& grid, WalkPacer& pacer, const std::function<void(long n)>& visit) {
    grid.beginWalk();
    int w = 0;                                 // 1. window position
    const long rowCount = grid.ApproxCount();  // 2. RowCount, read once
    pacer.start(rowCount);
    for (long n = 0; n < rowCount; ++n) {
        // A window with no visible row would make the same row current over and over;
        // such a grid moves one row at a time instead.
        if (w >= std::max(1, grid.VisibleRows())) {  // 2.1
            grid.Scroll(0, std::max(1, grid.VisibleRows()));
            w = 0;
        }
        grid.setRow(w);  // 2.2
        ++w;             // 2.3
        visit(n);        // 2.4: the caller reads the columns
        pacer.rowDone(n + 1);
    }
    pacer.finish();
    return rowCount;
}

}  // namespace vts
