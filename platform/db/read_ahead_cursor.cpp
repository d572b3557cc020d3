// A cursor whose rows are read ahead on a thread of their own.
#include "platform/db/read_ahead_cursor.h"

#include <algorithm>
#include <utility>

#include "platform/shell/errors.h"

namespace db {

namespace {

// Enough to keep both cores busy; bounded by bytes too, so that a table of big memos or
// pictures holds a few of them at a time, not thousands.
constexpr std::size_t kBatchesAhead = 4;
constexpr std::size_t kBatchBytes = 1 << 20;    // a batch ends once its texts and blobs reach this
constexpr std::size_t kBytesAhead = 4 << 20;    // the reader waits while this much is ready
constexpr std::size_t kKeptCapacity = 4 << 10;  // storage a refilled value keeps; larger is freed

// Bytes a value holds beyond its slot.
std::size_t heldBytes(const pdx::Value& v) {
    if (const auto* text = std::get_if<std::string>(&v)) return text->capacity();
    if (const auto* bytes = std::get_if<pdx::Bytes>(&v)) return bytes->capacity();
    return 0;
}

}  // namespace

ReadAheadCursor::ReadAheadCursor(std::unique_ptr<Cursor> inner, std::size_t rowsPerBatch)
    : inner_(std::move(inner)),
      rowsPerBatch_(std::max<std::size_t>(rowsPerBatch, 1)),
      recordCount_(inner_->recordCount()),
      schema_(inner_->sourceSchema()) {
    columns_ = inner_->columns();
    reader_ = std::thread([this] { readAhead(); });
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
    for (bool last = false; !last && !stop_;) {
        Batch batch = spareBatch();
        std::size_t rows = 0;
        batch.bytes = 0;
        try {
            while (rows < rowsPerBatch_ && batch.bytes < kBatchBytes && !inner_->eof() && !stop_) {
                if (rows == batch.rows.size()) batch.rows.emplace_back(width);
                // Into the values of a batch read before: small text keeps its storage, so
                // nothing is allocated; what held a big value is freed first.
                auto& row = batch.rows[rows];
                for (std::size_t i = 0; i < width; ++i) {
                    if (heldBytes(row[i]) > kKeptCapacity) row[i] = pdx::Value{};
                    inner_->readValue(static_cast<int>(i), row[i]);
                    batch.bytes += heldBytes(row[i]);
                }
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
        changed_.wait(lock, [this] {
            return stop_ || ready_.empty() || (ready_.size() < kBatchesAhead && readyBytes_ < kBytesAhead);
        });
        if (stop_) return;
        readyBytes_ += batch.bytes;
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
        readyBytes_ -= current_.bytes;
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

const pdx::Value& ReadAheadCursor::value(int column) { return row().at(static_cast<std::size_t>(column)); }

const std::vector<pdx::Value>& ReadAheadCursor::row() const {
    // A row that could not be read is reported as it failed, also when it is the first.
    if (at_ >= current_.rows.size() && current_.error) std::rethrow_exception(current_.error);
    if (at_ >= current_.rows.size()) throw vts::Error("The table has been read to its end: there is no current row.");
    return current_.rows[at_];
}

}  // namespace db
