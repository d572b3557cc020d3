#include "bridge/import_tail.h"

#include <chrono>

#include "bridge/row_copy.h"
#include "platform/db/connection.h"
#include "platform/db/sqlite_handle.h"
#include "platform/shell/errors.h"

namespace vts {

namespace {

// An edit waits at most this long for the copy's transaction to end.
constexpr auto kTransactionTime = std::chrono::milliseconds(50);
// Between two transactions the lock stays free this long, for the writers waiting for it (the
// grid's edits, other windows), which look for it every millisecond.
constexpr auto kPause = std::chrono::milliseconds(3);

// Begins a transaction, waiting out another writer however long it writes (another window's
// table being copied or written back) while the copy is still wanted.
bool beginWhenFree(db::Connection& working, const std::stop_token& stop) {
    for (;;) try {
            working.BeginWriteTrans();
            return true;
        } catch (const db::DatabaseBusy&) {
            if (stop.stop_requested()) return false;
        }
}

}  // namespace

ImportTail::ImportTail(std::string connectionString, std::string target, std::unique_ptr<db::Cursor> table, long rowsIn)
    : connectionString_(std::move(connectionString)),
      target_(std::move(target)),
      table_(std::move(table)),
      total_(static_cast<long>(table_->recordCount())),
      rowsIn_(rowsIn),
      thread_([this](const std::stop_token& stop) { run(stop); }) {}

// The thread is asked to stop and waited for by its own destructor (it is the last member).
ImportTail::~ImportTail() = default;

void ImportTail::run(const std::stop_token& stop) {
    try {
        db::Connection working;
        working.Open(connectionString_);
        std::vector<pdx::Value> values(table_->columns().size());
        long row = rowsIn_.load();
        for (bool first = true; row < total_ && !stop.stop_requested(); first = false) {
            if (!first) std::this_thread::sleep_for(kPause);
            if (!beginWhenFree(working, stop)) break;
            CommitOnExit transaction(working, true);
            const auto until = std::chrono::steady_clock::now() + kTransactionTime;
            do copyRow(*table_, values, working, target_);
            while (++row < total_ && (row % 64 != 0 || std::chrono::steady_clock::now() < until));
            working.SetCopiedRows(target_, row);
            if (row == total_) working.SetImportComplete(target_, true);
            transaction.commit();
            rowsIn_.store(row);
        }
    } catch (...) {
        error_ = std::current_exception();
    }
    table_.reset();  // the reading thread and the table's files end with the copy
    const std::lock_guard lock(mutex_);
    finished_.store(true);
    ended_.notify_all();
}

void ImportTail::wait(const Progress& progress, const std::function<void()>& yield) {
    ProgressThrottle report(progress, total_);
    while (!finished()) {
        report(rowsIn());
        if (yield) yield();
        std::unique_lock lock(mutex_);
        ended_.wait_for(lock, std::chrono::milliseconds(10), [this] { return finished(); });
    }
    report.finish(rowsIn());
}

void ImportTail::result() {
    if (!finished()) throw Error("The copy of the table " + target_ + " is still running.");
    if (error_) std::rethrow_exception(error_);
}

}  // namespace vts
