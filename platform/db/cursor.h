// A table read row by row: its columns and the current row's values.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/pdx/format/types.h"

namespace db {

struct ColumnInfo {
    std::string name;
    int adoType = 0;
};

class Cursor {
public:
    virtual ~Cursor() = default;
    const std::vector<ColumnInfo>& columns() const { return columns_; }
    virtual bool eof() = 0;
    virtual void moveNext() = 0;  // throws vts::Error at EOF
    virtual std::int64_t recordCount() const = 0;
    virtual const pdx::Value& value(int column) = 0;  // current row; throws vts::Error at EOF
    // The same into `out`, whose storage a cursor that decodes may reuse.
    virtual void readValue(int column, pdx::Value& out) { out = value(column); }
    virtual const pdx::Schema* sourceSchema() const { return nullptr; }

protected:
    std::vector<ColumnInfo> columns_;
};

}  // namespace db
