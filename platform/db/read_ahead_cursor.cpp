// A cursor whose rows are read ahead on a thread of their own.
#include "platform/db/read_ahead_cursor.h"

#include <utility>

#include "platform/shell/errors.h"

namespace db {

namespace {

constexpr std::size_t kBatchesAhead = 4;  // enough to keep both cores busy, little memory

}  // namespace

ReadAheadCursor::ReadAheadCursor(std::unique_ptr<Cursor> inner, std::size_t rowsPerBatch)
    : inner_(std::move(inner)),
      rowsPerBatch_(rowsPerBatch),
      recordCount_(inner_->recordCount()),
      schema_(inner_->sourceSchema()),
      reader_([this] { readAhead(); }) {
    columns_ = inner_->columns();
    nextBatch();
}

ReadAheadCursor::~ReadAheadCursor() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    reader_.join();
}

void ReadAheadCursor::readAhead() {
    const std::size_t width = inner_->columns().size();
    for (bool last = false; !last;) {
        Batch batch = spareBatch();
        std::size_t rows = 0;
        try {
            while (rows < rowsPerBatch_ && !inner_->eof()) {
                if (rows == batch.rows.size()) batch.rows.emplace_back(width);
                // Into the values of a batch read before: text keeps its storage, nothing is allocated.
                auto& row = batch.rows[rows];
                for (std::size_t i = 0; i < width; ++i) row[i] = inner_->value(static_cast<int>(i));
                ++rows;  // whole before the move to the next record, which may fail
                inner_->moveNext();
            }
            batch.last = inner_->eof();
        } catch (...) {
            batch.error = std::current_exception();
            batch.last = true;
        }
        batch.rows.resize(rows);
        last = batch.last;
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stop_ || ready_.size() < kBatchesAhead; });
        if (stop_) return;
        ready_.push_back(std::move(batch));
        changed_.notify_all();
    }
}

ReadAheadCursor::Batch ReadAheadCursor::spareBatch() {
    const std::lock_guard lock(mutex_);
    if (spare_.empty()) return {};
    Batch batch = std::move(spare_.back());
    spare_.pop_back();
    batch.error = nullptr;
    batch.last = false;
    return batch;
}

void ReadAheadCursor::nextBatch() {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !ready_.empty(); });
        spare_.push_back(std::move(current_));  // freed by no one: the reader fills it again
        current_ = std::move(ready_.front());
        ready_.pop_front();
    }
    changed_.notify_all();
    at_ = 0;
}

bool ReadAheadCursor::eof() { return at_ >= current_.rows.size() && current_.last && !current_.error; }

void ReadAheadCursor::moveNext() {
    if (eof()) throw vts::Error("The table has been read to its end: there is no next row.");
    ++at_;
    while (at_ >= current_.rows.size()) {
        if (current_.error) std::rethrow_exception(std::exchange(current_.error, nullptr));
        if (current_.last) return;
        nextBatch();
    }
}

const pdx::Value& ReadAheadCursor::value(int column) {
    if (at_ >= current_.rows.size()) throw vts::Error("The table has been read to its end: there is no current row.");
    return current_.rows[at_].at(static_cast<std::size_t>(column));
}

}  // namespace db
