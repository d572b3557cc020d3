// Streams a Paradox table's records as rows of values, in the forms the import stores.
#include "platform/db/paradox_cursor.h"

#include "platform/db/jet_types.h"
#include "platform/db/paradox_values.h"
#include "platform/pdx/format/value_text.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

// A Bytes field's value is stored as its hexadecimal text, a blob's as its bytes.
pdx::Value importForm(const pdx::Value& v, pdx::FieldType type) {
    if (type == pdx::FieldType::Bytes && std::holds_alternative<pdx::Bytes>(v)) return pdx::toText(v);
    return storedForm(v);
}

}  // namespace

ParadoxCursor::ParadoxCursor(const std::filesystem::path& dbFile, const pdx::Unlock& unlock) : reader_(dbFile, unlock) {
    for (const auto& f : reader_.info().schema.fields) columns_.push_back({f.name, adoTypeOf(f.type)});
    readNext();
}

void ParadoxCursor::readNext() {
    eof_ = !reader_.next(record_);
    row_.clear();
    if (eof_) return;
    const auto& fields = reader_.info().schema.fields;
    for (std::size_t i = 0; i < fields.size() && i < record_.size(); ++i)
        row_.push_back(importForm(record_[i], fields[i].type));
    row_.resize(fields.size());
}

void ParadoxCursor::moveNext() {
    if (eof_) throw vts::Error("The table has been read to its end: there is no next row.");
    readNext();
}

const pdx::Value& ParadoxCursor::value(int column) {
    if (eof_) throw vts::Error("The table has been read to its end: there is no current row.");
    return row_.at(static_cast<std::size_t>(column));
}

}  // namespace db
