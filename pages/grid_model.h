// The grid's table model over the working table: rows are fetched in windows as they are shown,
// so memory stays bounded by a few windows whatever the table's size; each accepted edit is
// written to the working table at once.
#pragma once
#include <QAbstractTableModel>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "pages/cell_rules.h"
#include "platform/db/grid_source.h"

namespace vts {

class GridModel : public QAbstractTableModel {
public:
    static constexpr int kWindowRows = 256;
    static constexpr size_t kWindowsKept = 64;

    // source: the table's original Paradox structure when the columns still match it.
    GridModel(std::shared_ptr<db::GridSource> source, const std::optional<pdx::Schema>& structure,
              std::function<void(const std::string&)> reportError,
              const std::map<std::string, std::string>& keptFields = {});

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    const CellRule& rule(int column) const { return rules_.at(static_cast<size_t>(column)); }
    std::string displayText(int row, int column) const;
    // A value's text as the grid shows it in that column.
    std::string textOf(int column, const pdx::Value& v) const;
    // Rows straight from the table, bypassing the cache of shown rows (for a walk over all rows).
    std::vector<db::GridSource::Row> fetch(std::int64_t firstRow, std::int64_t count) const {
        return source_->Fetch(firstRow, count);
    }
    std::string caption(int column) const;

private:
    db::GridSource::Row* row(int r) const;  // the cached row, fetching its window when needed

    std::shared_ptr<db::GridSource> source_;
    std::vector<CellRule> rules_;
    std::function<void(const std::string&)> reportError_;
    int rows_ = 0;
    // Fetched windows by window number, least recently used at the back.
    mutable std::unordered_map<std::int64_t, std::vector<db::GridSource::Row>> windows_;
    mutable std::list<std::int64_t> recent_;
};

}  // namespace vts
