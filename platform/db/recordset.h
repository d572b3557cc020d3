// Rows of one statement or table, walked forward: the ADO record set the callers know.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/grid_source.h"
#include "platform/db/variant.h"
#include "platform/pdx/types.h"

namespace db {

class Connection;
class Cursor;

// One column of the current row, copied when taken (safe to keep past MoveNext or Close).
class Field {
public:
    Field(std::string name, int type, Variant value) : name_(std::move(name)), type_(type), value_(std::move(value)) {}
    const std::string& Name() const { return name_; }
    int Type() const { return type_; }  // ADO DataTypeEnum code
    Variant Value() const { return value_; }

private:
    std::string name_;
    int type_;
    Variant value_;
};

class Recordset;

// Fields(i) and Fields("name") of the current row; i from 0.
class FieldList {
public:
    explicit FieldList(const Recordset& rs) : rs_(rs) {}
    int Count() const;
    Field operator()(int index) const;                // throws vts::Error when out of range
    Field operator()(const std::string& name) const;  // letter case ignored; throws when unknown

private:
    const Recordset& rs_;
};

class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;

    void CursorLocation(int location);  // 2 adUseServer, 3 adUseClient; before Open
    // Opens `source` (a statement text) on an open connection. Cursor type 2 with lock type 3 on
    // "SELECT * FROM `NAME`;" of the working database makes DataSource() available.
    void Open(const std::string& source, Connection& connection, int cursorType = -1, int lockType = -1);
    bool Eof() const;  // "EOF" is a C macro
    void MoveNext();
    std::int64_t RecordCount() const;  // exact
    int State() const;                 // 0 closed, 1 open
    FieldList Fields() const { return FieldList(*this); }
    Field operator()(const std::string& name) const { return Fields()(name); }  // rs("ID").Value()
    void Close();

    // Paradox provider only: the structure of the table read (throws otherwise).
    const pdx::Schema& SourceSchema() const;
    // Working database, cursor type 2 / lock type 3 on one table only (throws otherwise).
    std::shared_ptr<GridSource> DataSource() const;

    // Columns by index and the current row's value (throws at EOF; the reference is valid until
    // the record set moves or closes). Fields() offers the same as copies.
    int columnCount() const;
    const std::string& columnName(int i) const;
    int columnType(int i) const;
    const Variant& value(int i) const;

private:
    friend class Connection;
    explicit Recordset(std::unique_ptr<Cursor> cursor);
    const Cursor& open() const;
    int cursorLocation_ = 2;
    std::unique_ptr<Cursor> cursor_;
};

}  // namespace db
