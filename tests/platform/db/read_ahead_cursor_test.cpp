// Rows read ahead on their own thread come as the table's own cursor gives them: the same rows in
// the same order, and a damaged block's error at the same row.
#include <gtest/gtest.h>

#include <atomic>
#include <optional>

#include "db_test_support.h"
#include "platform/db/paradox_cursor.h"
#include "platform/db/read_ahead_cursor.h"
#include "platform/pdx/write/writer.h"
#include "platform/shell/errors.h"

using namespace dbtest;

namespace {

// Every row a cursor gives, and the error that ended it (empty when it reached its end).
struct Drained {
    std::vector<std::vector<pdx::Value>> rows;
    std::string error;
};

Drained drain(db::Cursor& c) {
    Drained d;
    try {
        for (; !c.eof(); c.moveNext()) {
            auto& row = d.rows.emplace_back();
            for (std::size_t i = 0; i < c.columns().size(); ++i) row.push_back(c.value(static_cast<int>(i)));
        }
    } catch (const std::exception& e) {
        d.error = e.what();
    }
    return d;
}

void expectSameAsPlain(const fs::path& db, std::size_t rowsPerBatch) {
    std::optional<db::ParadoxCursor> plain;
    try {
        plain.emplace(db);
    } catch (const std::exception&) {
        return;  // refused on opening, before anything is read ahead
    }
    const Drained expected = drain(*plain);
    db::ReadAheadCursor ahead(std::make_unique<db::ParadoxCursor>(db), rowsPerBatch);
    EXPECT_EQ(ahead.recordCount(), plain->recordCount());
    const Drained got = drain(ahead);
    EXPECT_EQ(got.rows, expected.rows);
    EXPECT_EQ(got.error, expected.error);
}

// Whole numbers 0, 1, ... of which the failing-th (from 1) cannot be read: the move to it fails.
class FailingCursor : public db::Cursor {
public:
    explicit FailingCursor(int failing) : failing_(failing) { columns_ = {{"N", 0}}; }
    bool eof() override { return false; }
    void moveNext() override {
        if (++row_ == failing_) throw vts::Error("record " + std::to_string(row_) + " is damaged");
        value_ = std::int64_t{row_};
    }
    std::int64_t recordCount() const override { return 1000; }
    const pdx::Value& value(int) override { return value_; }

private:
    int failing_, row_ = 0;
    pdx::Value value_ = std::int64_t{0};
};

// Records of one big text each, counting how many have been read.
class BigTextCursor : public db::Cursor {
public:
    BigTextCursor(int records, std::atomic<int>& read) : records_(records), read_(read) {
        columns_ = {{"M", 0}};
        read_ = 1;
    }
    bool eof() override { return read_ > records_; }
    void moveNext() override {
        value_ = std::string(1 << 20, static_cast<char>('a' + read_ % 26));
        ++read_;
    }
    std::int64_t recordCount() const override { return records_; }
    const pdx::Value& value(int) override { return value_; }

private:
    int records_;
    std::atomic<int>& read_;
    pdx::Value value_ = std::string(1 << 20, 'a');
};

// N records of a number and a text, in 2 KiB blocks.
fs::path writeNumbered(const fs::path& dir, int records) {
    pdx::Schema schema;
    schema.fields = {{"N", pdx::FieldType::Long, 4}, {"S", pdx::FieldType::Alpha, 20}};
    pdx::TableWriter w(dir, "T", schema);
    for (std::int64_t n = 0; n < records; ++n) w.append({n, "row " + std::to_string(n)});
    w.finish();
    w.install();
    return dir / "T.db";
}

TEST(ReadAheadCursor, GivesTheRowsAndTheErrorsOfTheCursorItReads) {
    TempDir dir;
    const fs::path numbered = writeNumbered(dir.path(), 1000);
    for (const std::size_t batch : {1u, 7u, 256u, 5000u}) {
        SCOPED_TRACE("rows per batch " + std::to_string(batch));
        expectSameAsPlain(numbered, batch);
    }
    // Every engine-made table of both fixture sets, the wild ones too.
    for (const auto& table : vts::test::fixtureTables())
        for (const std::size_t batch : {1u, 256u}) {
            SCOPED_TRACE(table.string() + ", rows per batch " + std::to_string(batch));
            expectSameAsPlain(table, batch);
        }

    // A record that cannot be read part way: its error comes after the rows before it, as from
    // the cursor itself, also where it falls on a batch's edge.
    for (const int failing : {1, 6, 7, 8, 700})
        for (const std::size_t batch : {1u, 7u, 256u}) {
            SCOPED_TRACE("failing at " + std::to_string(failing) + ", rows per batch " + std::to_string(batch));
            FailingCursor plain(failing);
            const Drained expected = drain(plain);
            db::ReadAheadCursor ahead(std::make_unique<FailingCursor>(failing), batch);
            const Drained got = drain(ahead);
            EXPECT_EQ(got.rows, expected.rows);
            EXPECT_EQ(got.error, expected.error);
            EXPECT_EQ(got.rows.size(), std::size_t(failing));
        }
}

// A table of big memos is read a few records ahead, not a batch of hundreds: memory stays bounded.
TEST(ReadAheadCursor, BigValuesAreReadOnlyAFewAhead) {
    std::atomic<int> read = 0;
    db::ReadAheadCursor ahead(std::make_unique<BigTextCursor>(300, read), 256);
    int consumed = 0, mostAhead = 0;
    for (; !ahead.eof(); ahead.moveNext(), ++consumed) {
        ASSERT_EQ(std::get<std::string>(ahead.value(0))[0], static_cast<char>('a' + consumed % 26));
        mostAhead = std::max(mostAhead, read - consumed);
    }
    EXPECT_EQ(consumed, 300);
    EXPECT_LE(mostAhead, 12);
}

TEST(ReadAheadCursor, LeftBeforeItsEndItStopsReading) {
    TempDir dir;
    const fs::path numbered = writeNumbered(dir.path(), 5000);
    for (const std::size_t batch : {1u, 100u}) {
        db::ReadAheadCursor ahead(std::make_unique<db::ParadoxCursor>(numbered), batch);
        ahead.moveNext();
        EXPECT_EQ(ahead.value(0), pdx::Value(std::int64_t{1}));
    }  // destroyed with the reading thread waiting for room, or in the middle of a batch
}

}  // namespace
