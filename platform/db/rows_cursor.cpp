// Rows held in memory: schema listings and small result sets.
#include "platform/db/cursor.h"
#include "platform/shell/errors.h"

namespace db {

RowsCursor::RowsCursor(std::vector<ColumnInfo> columns, std::vector<std::vector<Variant>> rows)
    : rows_(std::move(rows)) {
    columns_ = std::move(columns);
}

void RowsCursor::moveNext() {
    if (eof()) throw vts::Error("The record set is at its end (EOF): there is no next row.");
    ++pos_;
}

const Variant& RowsCursor::value(int column) {
    if (eof()) throw vts::Error("The record set is at its end (EOF): there is no current row.");
    return rows_[pos_].at(static_cast<std::size_t>(column));
}

}  // namespace db
