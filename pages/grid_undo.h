// The grid's undo log: what each change of this session did to the working table, so that
// Ctrl+Z can take the changes back one step at a time, last first. Kept in memory only.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/db/grid_source.h"

namespace vts {

struct CellChange {
    std::int64_t rowid = 0;
    int column = 0;
    pdx::Value before, after;  // after: as stored
};

// One step: the cells edited, the rows added and the rows deleted by one user action.
struct GridUndoStep {
    std::vector<CellChange> cells;
    std::vector<std::int64_t> added;
    std::vector<db::GridSource::Row> deleted;
    bool empty() const { return cells.empty() && added.empty() && deleted.empty(); }
};

class GridUndoLog {
public:
    // Changes recorded between begin and end form one step (e.g. Delete on several cells).
    void begin() { ++depth_; }
    void end() {
        if (depth_ > 0 && --depth_ == 0) close();
    }
    void record(GridUndoStep step) {
        for (auto& c : step.cells) open_.cells.push_back(std::move(c));
        for (auto id : step.added) open_.added.push_back(id);
        for (auto& r : step.deleted) open_.deleted.push_back(std::move(r));
        if (depth_ == 0) close();
    }
    bool canUndo() const { return !steps_.empty(); }
    GridUndoStep pop() {
        GridUndoStep last = std::move(steps_.back());
        steps_.pop_back();
        return last;
    }

private:
    void close() {
        if (!open_.empty()) steps_.push_back(std::move(open_));
        open_ = {};
    }
    std::vector<GridUndoStep> steps_;
    GridUndoStep open_;
    int depth_ = 0;
};

}  // namespace vts
