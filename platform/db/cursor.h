// What a record set walks: one provider's rows, their columns and the current row's values.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/grid_source.h"
#include "platform/db/variant.h"
#include "platform/pdx/types.h"

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
    virtual const Variant& value(int column) = 0;  // current row; throws vts::Error at EOF
    virtual const pdx::Schema* sourceSchema() const { return nullptr; }
    virtual std::shared_ptr<GridSource> dataSource() const { return nullptr; }

protected:
    std::vector<ColumnInfo> columns_;
};

// Rows held in memory: schema listings and small result sets.
class RowsCursor : public Cursor {
public:
    RowsCursor(std::vector<ColumnInfo> columns, std::vector<std::vector<Variant>> rows);
    bool eof() override { return pos_ >= rows_.size(); }
    void moveNext() override;
    std::int64_t recordCount() const override { return static_cast<std::int64_t>(rows_.size()); }
    const Variant& value(int column) override;

private:
    std::vector<std::vector<Variant>> rows_;
    std::size_t pos_ = 0;
};

}  // namespace db
