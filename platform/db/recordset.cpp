// Rows of one statement or table, walked forward: the ADO record set the callers know.
#include "platform/db/recordset.h"

#include "platform/db/connection.h"
#include "platform/db/cursor.h"
#include "platform/db/provider.h"
#include "platform/db/sql_tokens.h"
#include "platform/shell/errors.h"

namespace db {

int FieldList::Count() const { return rs_.columnCount(); }

Field FieldList::operator()(int index) const {
    if (index < 0 || index >= Count())
        throw vts::Error("There is no field " + std::to_string(index) + "; the record set has " +
                         std::to_string(Count()) + ".");
    return Field(rs_.columnName(index), rs_.columnType(index), rs_.value(index));
}

Field FieldList::operator()(const std::string& name) const {
    for (int i = 0; i < Count(); ++i)
        if (equalsNoCase(rs_.columnName(i), name)) return (*this)(i);
    throw vts::Error("The record set has no field named \"" + name + "\".");
}

Recordset::Recordset() = default;
Recordset::Recordset(std::unique_ptr<Cursor> cursor) : cursor_(std::move(cursor)) {}
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;

void Recordset::CursorLocation(int location) { cursorLocation_ = location; }

void Recordset::Open(const std::string& source, Connection& connection, int cursorType, int lockType) {
    if (cursor_) throw vts::Error("The record set is already open.");
    cursor_ = connection.openCursor(source, OpenOptions{cursorLocation_, cursorType, lockType});
}

const Cursor& Recordset::open() const {
    if (!cursor_) throw vts::Error("The record set is not open.");
    return *cursor_;
}

bool Recordset::Eof() const {
    open();
    return cursor_->eof();
}

void Recordset::MoveNext() {
    open();
    cursor_->moveNext();
}

std::int64_t Recordset::RecordCount() const { return open().recordCount(); }
int Recordset::State() const { return cursor_ ? 1 : 0; }
void Recordset::Close() { cursor_.reset(); }

const pdx::Schema& Recordset::SourceSchema() const {
    const auto* schema = open().sourceSchema();
    if (!schema) throw vts::Error("Only a record set read from a Paradox table has a source structure.");
    return *schema;
}

std::shared_ptr<GridSource> Recordset::DataSource() const {
    auto source = open().dataSource();
    if (!source)
        throw vts::Error("Only a record set opened on one working table with cursor type 2 and lock type 3 can "
                         "feed the grid.");
    return source;
}

int Recordset::columnCount() const { return static_cast<int>(open().columns().size()); }
const std::string& Recordset::columnName(int i) const { return open().columns().at(std::size_t(i)).name; }
int Recordset::columnType(int i) const { return open().columns().at(std::size_t(i)).adoType; }

const Variant& Recordset::value(int i) const {
    open();
    return cursor_->value(i);
}

}  // namespace db
