// The rows of an import still to copy once the grid has opened on the first ones. A thread of its
// own copies them in short transactions, so that the user's edits (on the window's thread) get in
// between; the table is marked complete in the transaction of its last row. Until then the
// write-back refuses the table, as it refuses any import cut short.
#pragma once
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/db/cursor.h"
#include "platform/shell/progress.h"

namespace vts {

class ImportTail {
public:
    // Copies the rows of `table` from its current one (`rowsIn` are in already) into `target` of
    // the working database at `connectionString`.
    ImportTail(std::string connectionString, std::string target, std::unique_ptr<db::Cursor> table, long rowsIn);
    // Stops at the end of the current transaction: the rows copied stay, the table stays incomplete.
    ~ImportTail();
    ImportTail(const ImportTail&) = delete;
    ImportTail& operator=(const ImportTail&) = delete;

    const std::string& target() const { return target_; }
    long rowsIn() const { return rowsIn_.load(); }  // committed, so visible to other connections
    long total() const { return total_; }
    bool finished() const { return finished_.load(); }

    // Waits until the last row is in or the copy failed, reporting progress and yielding to the
    // window meanwhile (the callbacks run on the caller's thread).
    void wait(const Progress& progress, const std::function<void()>& yield);
    // Once finished: rethrows the error that ended the copy; returns when every row is in.
    void result();

private:
    void run(const std::stop_token& stop);

    const std::string connectionString_, target_;
    std::unique_ptr<db::Cursor> table_;
    const long total_;
    std::atomic<long> rowsIn_;
    std::atomic<bool> finished_ = false;
    std::exception_ptr error_;  // written before finished_
    std::mutex mutex_;
    std::condition_variable ended_;
    std::jthread thread_;  // last: started when everything above is ready, joined first
};

}  // namespace vts
