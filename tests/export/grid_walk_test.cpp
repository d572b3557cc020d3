// The grid walk visits every row once, in display order, wherever the grid stood before.
#include <gtest/gtest.h>

#include <numeric>

#include "export/grid_walk.h"
#include "export/text_export.h"
#include "tests/export/export_test_support.h"

namespace vts::test {
namespace {

std::vector<long> allRows(long n) {
    std::vector<long> v(static_cast<size_t>(n));
    std::iota(v.begin(), v.end(), 0L);
    return v;
}

struct WalkCase {
    long rows;
    int visible;
    long startTop;  // where the user had scrolled before the export
};

class GridWalkFrom : public ::testing::TestWithParam<WalkCase> {};

TEST_P(GridWalkFrom, VisitsEveryRowOnceInOrder) {
    const auto c = GetParam();
    FakeGrid grid({"A"}, numberedRows(c.rows, 1), c.visible);
    grid.top = c.startTop;
    WalkPacer pacer({}, {});
    std::vector<long> seen;
    EXPECT_EQ(GridWalk(grid, pacer,
                       [&](long n) {
                           EXPECT_EQ(grid.current, n);
                           seen.push_back(n);
                       }),
              c.rows);
    EXPECT_EQ(grid.visited, allRows(c.rows));
    EXPECT_EQ(seen, allRows(c.rows));
}

INSTANTIATE_TEST_SUITE_P(Windows, GridWalkFrom,
                         ::testing::Values(WalkCase{10, 4, 0},  // 10 is not a multiple of 4
                                           WalkCase{10, 4, 5},  // scrolled to the middle
                                           WalkCase{10, 4, 6},  // scrolled to the end
                                           WalkCase{12, 4, 8},  // a multiple, at the end
                                           WalkCase{7, 10, 0},  // all rows in one window
                                           WalkCase{5, 0, 3},   // a window showing no row
                                           WalkCase{0, 4, 0}));

TEST(GridWalk, TextExportOfScrolledGridHoldsEveryRow) {
    ScratchDir dir;
    FormStandIn form;
    FakeGrid grid({"A"}, numberedRows(11, 1), 4);
    grid.top = 7;
    ASSERT_TRUE(SaveDataGridToFile(form.app, grid, dir.file("t.txt")));
    std::string expected = "A\t\r\n";
    for (int r = 0; r < 11; ++r) expected += "r" + std::to_string(r) + "c0\t\r\n";
    EXPECT_EQ(readFile(dir.file("t.txt")), expected + "\r\n");
}

TEST(GridWalk, ReportsProgressAndYieldsToTheWindow) {
    FakeGrid grid({"A"}, numberedRows(1000, 1), 25);
    std::vector<std::pair<long, long>> progress;
    int yields = 0;
    WalkPacer pacer([&] { ++yields; }, [&](long done, long total) { progress.emplace_back(done, total); },
                    std::chrono::nanoseconds(0));
    GridWalk(grid, pacer, [](long) {});
    ASSERT_GE(progress.size(), 3u);
    EXPECT_EQ(progress.front(), std::make_pair(0L, 1000L));
    EXPECT_EQ(progress.back(), std::make_pair(1000L, 1000L));
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(yields, static_cast<int>(progress.size()) - 1);  // every report but the first
}

}  // namespace
}  // namespace vts::test
