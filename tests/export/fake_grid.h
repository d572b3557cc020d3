// A grid for the exporter tests: a window of VisibleRows rows scrolling over a row list, with
// the contract the real grid keeps (a walk starts at the top; the last scroll shows fewer rows).
#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "export/data_grid.h"
#include "platform/shell/errors.h"

namespace vts::test {

using Rows = std::vector<std::vector<std::string>>;

class FakeGrid : public DataGrid {
public:
    FakeGrid(std::vector<std::string> captions, Rows rows, int visible = 3)
        : captions(std::move(captions)), rows(std::move(rows)), visible(visible) {}

    std::vector<std::string> captions;
    Rows rows;
    int visible;
    long top = 0;                   // first row of the window
    long current = -1;              // current row
    std::vector<long> visited;      // rows made current, in order
    long failAtRow = -1;            // reading a text of this row fails
    std::vector<ColumnKind> kinds;  // per column; Text where not given

    void beginWalk() override { top = 0; }
    long ApproxCount() override { return static_cast<long>(rows.size()); }
    int VisibleRows() override { return visible; }
    void setRow(int row) override {
        if (row < 0 || row >= std::max(visible, 1) || top + row >= ApproxCount())
            throw Error("Invalid row number " + std::to_string(row));
        current = top + row;
        visited.push_back(current);
    }
    void Scroll(int, int by) override { top = std::min(top + by, ApproxCount()); }
    int columnCount() override { return static_cast<int>(captions.size()); }
    std::string columnCaption(int k) override { return captions.at(static_cast<size_t>(k)); }
    ColumnKind columnKind(int k) override {
        return static_cast<size_t>(k) < kinds.size() ? kinds[static_cast<size_t>(k)] : ColumnKind::Text;
    }
    std::string columnText(int k) override {
        if (current == failAtRow) throw Error("The grid cannot read the cell.");
        return rows.at(static_cast<size_t>(current)).at(static_cast<size_t>(k));
    }
};

// Rows "r<n>c<k>" for n rows of k columns.
inline Rows numberedRows(long n, int k) {
    Rows out(static_cast<size_t>(n));
    for (long r = 0; r < n; ++r)
        for (int c = 0; c < k; ++c)
            out[static_cast<size_t>(r)].push_back("r" + std::to_string(r) + "c" + std::to_string(c));
    return out;
}

}  // namespace vts::test
