// Streams a Paradox table's records as rows of values, in the forms the import stores.
#include "platform/db/paradox_cursor.h"

#include "platform/db/jet_types.h"
#include "platform/db/value_text.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

struct ToVariant {
    pdx::FieldType type;
    Variant operator()(std::monostate) const { return std::monostate{}; }
    Variant operator()(std::int64_t i) const { return i; }
    Variant operator()(double d) const { return d; }
    Variant operator()(bool b) const { return std::string(b ? "True" : "False"); }
    Variant operator()(const std::string& s) const { return s; }
    Variant operator()(const pdx::Bytes& b) const {
        if (type == pdx::FieldType::Bytes) return toText(Variant{b});  // hexadecimal text
        return b;
    }
    Variant operator()(pdx::Date d) const { return formatDate(d.day); }
    Variant operator()(pdx::Time t) const { return formatTime(t.ms); }
    Variant operator()(pdx::Timestamp ts) const { return formatTimestamp(ts.ms); }
    Variant operator()(const pdx::Decimal& d) const { return d.text; }
};

}  // namespace

Variant fromParadox(const pdx::Value& v, pdx::FieldType type) { return std::visit(ToVariant{type}, v); }

ParadoxCursor::ParadoxCursor(const std::filesystem::path& dbFile) : reader_(dbFile) {
    for (const auto& f : reader_.info().schema.fields) columns_.push_back({f.name, adoTypeOf(f.type)});
    readNext();
}

void ParadoxCursor::readNext() {
    eof_ = !reader_.next(record_);
    row_.clear();
    if (eof_) return;
    const auto& fields = reader_.info().schema.fields;
    for (std::size_t i = 0; i < fields.size() && i < record_.size(); ++i)
        row_.push_back(fromParadox(record_[i], fields[i].type));
    row_.resize(fields.size());
}

void ParadoxCursor::moveNext() {
    if (eof_) throw vts::Error("The table has been read to its end: there is no next row.");
    readNext();
}

const Variant& ParadoxCursor::value(int column) {
    if (eof_) throw vts::Error("The table has been read to its end: there is no current row.");
    return row_.at(static_cast<std::size_t>(column));
}

}  // namespace db
