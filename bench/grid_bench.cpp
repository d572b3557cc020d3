// Grid benchmark: a generated table of N records (default 1,000,000) is imported, then the
// time from the end of the import to the first painted grid, the time to scroll to the last
// row, to sort by a column heading, to find a text that is not there, to delete a row and to
// undo that, and the program's peak memory are printed next to their goals.
#include <QApplication>
#include <QScrollBar>
#include <chrono>
#include <fstream>
#include <iostream>
#include <string>

#include "bench/bench_table.h"
#include "bench/process_memory.h"
#include "bridge/paradox.h"
#include "pages/data_grid_view.h"
#include "platform/db/connection.h"
#include "tests/support/temp_dir.h"

using namespace vts;
using Clock = std::chrono::steady_clock;

namespace {

double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

void paint(DataGridView& view) {
    view.viewport()->repaint();
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const std::size_t rows = argc > 1 ? std::stoul(argv[1]) : 1000000;
    test::TempDir dir;
    const auto data = dir / "data";
    std::filesystem::create_directories(data);
    std::filesystem::create_directories(dir / "app");
    bench::writeBenchTable(data, rows, false);

    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    AppContext ctx{dialogs, launcher, dir / "app"};
    ctx.folderText = [&] { return data.string(); };
    auto t = Clock::now();
    ImportParadoxTable(ctx, bench::kBenchTableName);
    const double import = since(t);
    const long beforeGridKiB = bench::statusKiB("VmRSS:");

    t = Clock::now();
    db::Connection grid;
    grid.Open(WorkingConnectionString(ctx.appFolder));
    DataGridView view(nullptr);
    view.resize(800, 600);
    view.show();
    const std::string table = WorkingTableName(data.string(), bench::kBenchTableName);
    view.setDataSource(grid.OpenGridSource(table), grid.SourceStructure(table));
    paint(view);
    const double firstPaint = since(t);

    t = Clock::now();
    view.scrollToBottom();
    paint(view);
    const double toLast = since(t);
    const bool atEnd = view.verticalScrollBar()->value() == view.verticalScrollBar()->maximum();

    const int textColumn = view.gridModel()->columnCount() > 1 ? 1 : 0;
    t = Clock::now();
    view.sortByHeading(textColumn);
    paint(view);
    const double sorted = since(t);
    t = Clock::now();
    view.scrollToBottom();
    paint(view);
    const double sortedToLast = since(t);
    view.sortByHeading(textColumn);
    view.sortByHeading(textColumn);  // back to the table's order

    view.setCurrentIndex(view.model()->index(0, 0));
    t = Clock::now();
    bool wrapped = false;
    const bool found = view.findText("no such text anywhere", true, wrapped);
    const double findAll = since(t);

    view.setConfirmer([](const std::string&) { return true; });  // the question answered Yes
    view.setCurrentIndex(view.model()->index(static_cast<int>(rows / 2), 0));
    t = Clock::now();
    view.deleteSelectedRows();
    paint(view);
    const double deleted = since(t);
    t = Clock::now();
    view.undoLastChange();
    paint(view);
    const double undone = since(t);

    std::cout << "rows: " << rows << " (import took " << import << " s)\n"
              << "first painted grid after import: " << firstPaint << " s (goal < 0.3 s, ratio " << firstPaint / 0.3
              << ")\n"
              << "scroll to the last row: " << toLast << " s (goal < 0.3 s, ratio " << toLast / 0.3 << ")"
              << (atEnd ? "" : " [not at end!]") << "\n"
              << "sort by a text column heading, painted: " << sorted << " s; then to the last row: " << sortedToLast
              << " s\n"
              << "find a text that is not there (every cell): " << findAll << " s" << (found ? " [found?!]" : "")
              << ", per 100,000 rows " << findAll * 100000.0 / static_cast<double>(rows) << " s\n"
              << "delete a row after the question: " << deleted << " s; undo it: " << undone << " s\n"
              << "grid memory: " << (bench::statusKiB("VmRSS:") - beforeGridKiB) / 1024
              << " MB; program peak: " << bench::statusKiB("VmHWM:") / 1024 << " MB (goal < 250 MB, ratio "
              << bench::statusKiB("VmHWM:") / 1024.0 / 250 << ")\n";
    return 0;
}
