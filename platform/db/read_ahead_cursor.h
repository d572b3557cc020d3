// A cursor whose rows are read ahead on a thread of their own: the records of a big table are
// decoded on one core while the caller stores the rows before them on the other.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/db/cursor.h"

namespace db {

// Gives the rows, and any error, in the order and at the row the cursor it wraps gives them.
// The wrapped cursor is used by the reading thread alone once this is made.
class ReadAheadCursor : public Cursor {
public:
    explicit ReadAheadCursor(std::unique_ptr<Cursor> inner, std::size_t rowsPerBatch = 256);
    ~ReadAheadCursor() override;  // stops the reading thread and waits for it
    ReadAheadCursor(const ReadAheadCursor&) = delete;
    ReadAheadCursor& operator=(const ReadAheadCursor&) = delete;

    bool eof() override;
    void moveNext() override;
    std::int64_t recordCount() const override { return recordCount_; }
    const pdx::Value& value(int column) override;
    // The current row's values, one per column; throws vts::Error at the end.
    const std::vector<pdx::Value>& row() const;
    const pdx::Schema* sourceSchema() const override { return schema_; }

private:
    struct Batch {
        std::vector<std::vector<pdx::Value>> rows;
        std::exception_ptr error;  // what ended the reading after these rows
        bool last = false;
        std::size_t bytes = 0;  // held by its texts and blobs
    };
    void readAhead();
    Batch spareBatch();  // one the caller is done with, or a new one
    void nextBatch();    // waits for the next batch and makes it current

    std::unique_ptr<Cursor> inner_;
    const std::size_t rowsPerBatch_;
    const std::int64_t recordCount_;
    const pdx::Schema* const schema_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> ready_;
    std::size_t readyBytes_ = 0;
    std::vector<Batch> spare_;
    std::atomic<bool> stop_ = false;  // also looked at between rows, without the lock
    Batch current_;
    std::size_t at_ = 0;
    std::thread reader_;  // started once everything it uses exists
};

}  // namespace db
