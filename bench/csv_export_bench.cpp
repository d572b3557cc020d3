// CSV export of the 1,000,000-row benchmark table through the grid walk, timed against the
// sqlite3 shell writing the same table as CSV in the same run. Prints times and the ratio.
//
// The benchmark table's rows go into a SQLite table (dates and timestamps as ISO text, the
// way a grid shows them); the export reads them through a DataGrid that scrolls a window of
// rows over a cursor on that table, as the grid view does over the working table.
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_table.h"
#include "export/data_grid.h"
#include "export/text_export.h"
#include "platform/shell/app_context.h"
#include "platform/shell/dialogs.h"
#include "platform/shell/launcher.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

std::string isoDate(std::int64_t day) {  // day 1 = 0001-01-01
    using namespace std::chrono;
    const year_month_day ymd{sys_days{year{1} / January / 1} + days{day - 1}};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return buf;
}

std::string isoStamp(double ms) {
    const auto whole = static_cast<std::int64_t>(ms);
    const std::int64_t t = whole % 86400000;
    char buf[24];
    std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", static_cast<int>(t / 3600000), static_cast<int>(t / 60000 % 60),
                  static_cast<int>(t / 1000 % 60));
    return isoDate(whole / 86400000) + buf;
}

void bindValue(sqlite3_stmt* st, int i, const pdx::Value& v) {
    if (pdx::isNull(v)) sqlite3_bind_null(st, i);
    else if (auto* n = std::get_if<std::int64_t>(&v)) sqlite3_bind_int64(st, i, *n);
    else if (auto* d = std::get_if<double>(&v)) sqlite3_bind_double(st, i, *d);
    else if (auto* b = std::get_if<bool>(&v)) sqlite3_bind_text(st, i, *b ? "True" : "False", -1, SQLITE_STATIC);
    else if (auto* s = std::get_if<std::string>(&v)) sqlite3_bind_text(st, i, s->c_str(), -1, SQLITE_TRANSIENT);
    else if (auto* day = std::get_if<pdx::Date>(&v)) sqlite3_bind_text(st, i, isoDate(day->day).c_str(), -1, SQLITE_TRANSIENT);
    else if (auto* ts = std::get_if<pdx::Timestamp>(&v)) sqlite3_bind_text(st, i, isoStamp(ts->ms).c_str(), -1, SQLITE_TRANSIENT);
    else sqlite3_bind_null(st, i);
}

void makeTable(const std::string& path, long rows) {
    sqlite3* db = nullptr;
    check(sqlite3_open(path.c_str(), &db), db, "open");
    check(sqlite3_exec(db,
                       "PRAGMA journal_mode=OFF; CREATE TABLE BENCH (Name TEXT, Count INTEGER, Amount REAL, Day TEXT,"
                       " Small INTEGER, Flag TEXT, Stamp TEXT, Code TEXT); BEGIN;",
                       nullptr, nullptr, nullptr),
          db, "create");
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(db, "INSERT INTO BENCH VALUES (?,?,?,?,?,?,?,?)", -1, &st, nullptr), db, "prepare");
    pdx::Record r;
    for (long i = 0; i < rows; ++i) {
        vts::bench::benchRecord(static_cast<std::size_t>(i), false, r);
        for (int k = 0; k < 8; ++k) bindValue(st, k + 1, r[static_cast<size_t>(k)]);
        check(sqlite3_step(st), db, "insert");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

// A grid window of `visible` rows over a cursor on the table; Scroll fetches the next window.
class SqliteGrid : public vts::DataGrid {
public:
    SqliteGrid(const std::string& path, int visible) : visible_(visible) {
        check(sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr), db_, "open");
        sqlite3_stmt* count = nullptr;
        check(sqlite3_prepare_v2(db_, "SELECT COUNT(*) FROM BENCH", -1, &count, nullptr), db_, "count");
        sqlite3_step(count);
        rows_ = sqlite3_column_int64(count, 0);
        sqlite3_finalize(count);
        check(sqlite3_prepare_v2(db_, "SELECT * FROM BENCH ORDER BY rowid", -1, &cursor_, nullptr), db_, "select");
        for (int k = 0; k < sqlite3_column_count(cursor_); ++k) captions_.push_back(sqlite3_column_name(cursor_, k));
    }
    ~SqliteGrid() override {
        sqlite3_finalize(cursor_);
        sqlite3_close(db_);
    }
    void beginWalk() override {
        sqlite3_reset(cursor_);
        fill();
    }
    long ApproxCount() override { return static_cast<long>(rows_); }
    int VisibleRows() override { return visible_; }
    void setRow(int row) override {
        if (row >= static_cast<int>(shown_)) throw std::runtime_error("row outside the window");
        current_ = static_cast<size_t>(row);
    }
    void Scroll(int, int) override { fill(); }
    int columnCount() override { return static_cast<int>(captions_.size()); }
    std::string columnCaption(int k) override { return captions_[static_cast<size_t>(k)]; }
    std::string columnText(int k) override { return window_[current_][static_cast<size_t>(k)]; }

private:
    void fill() {
        window_.resize(static_cast<size_t>(visible_));
        shown_ = 0;
        while (shown_ < window_.size() && sqlite3_step(cursor_) == SQLITE_ROW) {
            auto& row = window_[shown_++];
            row.resize(captions_.size());
            for (int k = 0; k < static_cast<int>(captions_.size()); ++k) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(cursor_, k));
                row[static_cast<size_t>(k)].assign(text ? text : "");
            }
        }
    }
    sqlite3* db_ = nullptr;
    sqlite3_stmt* cursor_ = nullptr;
    std::int64_t rows_ = 0;
    int visible_;
    std::vector<std::string> captions_;
    std::vector<std::vector<std::string>> window_;
    size_t shown_ = 0, current_ = 0;
};

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

double timeOurExport(const std::string& db, const std::string& out) {
    vts::ScriptedDialogs dialogs;
    vts::RecordingLauncher launcher;
    vts::AppContext app{dialogs, launcher};
    SqliteGrid grid(db, 20);
    const auto start = Clock::now();
    if (!vts::SaveDataGridToCSVFile(app, grid, out) || !dialogs.messages.empty())
        throw std::runtime_error("export failed: " + dialogs.messages.at(0).text);
    return seconds(start);
}

double timeSqliteShell(const std::string& db, const std::string& out) {
    const std::string command = "sqlite3 -csv '" + db + "' 'SELECT * FROM BENCH' > '" + out + "'";
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    const double t = seconds(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("sqlite3 failed");
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
    std::string pattern = (fs::temp_directory_path() / "vts-csv-bench-XXXXXX").string();
    const fs::path dir = ::mkdtemp(pattern.data());
    try {
        const std::string db = (dir / "work.sqlite").string();
        makeTable(db, rows);
        double ours = 1e9, shell = 1e9;
        for (int round = 0; round < 3; ++round) {  // best of three, alternating
            ours = std::min(ours, timeOurExport(db, (dir / "ours.csv").string()));
            shell = std::min(shell, timeSqliteShell(db, (dir / "shell.csv").string()));
        }
        std::printf("rows: %ld\n", rows);
        std::printf("CSV export through the grid walk: %.3f s, %.1f MB\n", ours,
                    static_cast<double>(fs::file_size(dir / "ours.csv")) / 1e6);
        std::printf("sqlite3 -csv:                     %.3f s, %.1f MB\n", shell,
                    static_cast<double>(fs::file_size(dir / "shell.csv")) / 1e6);
        std::printf("ratio (ours / sqlite3): %.2f (goal: within 2)\n", ours / shell);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "csv_export_bench: %s\n", e.what());
        fs::remove_all(dir);
        return 1;
    }
    fs::remove_all(dir);
    return 0;
}
