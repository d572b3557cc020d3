// The grid's table model over the working table: rows are fetched in windows as they are shown,
// so memory stays bounded by a few windows whatever the table's size; each accepted edit is
// written to the working table at once. A last, empty row takes a new record: its values are
// held here until the row is committed, then inserted as one row. Every change of this session
// can be undone, last first.
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
#include "pages/grid_undo.h"
#include "bridge/table_facts.h"
#include "platform/db/grid_source.h"

namespace vts {

class GridModel : public QAbstractTableModel {
public:
    static constexpr int kWindowRows = 256;
    static constexpr size_t kWindowsKept = 64;

    // source: the table's original Paradox structure when the columns still match it.
    GridModel(std::shared_ptr<db::GridSource> source, const std::optional<pdx::Schema>& structure,
              std::function<void(const std::string&)> reportError, const TableFacts& facts = {});

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // Why a value may not go into that cell of a row of the table (a blank or repeated key), at
    // once as it is typed; empty when it may.
    std::string editRefusal(const QModelIndex& index, const pdx::Value& value) const;

    // Rows of the table, without the new row at the bottom.
    int dataRows() const { return rows_; }
    bool isNewRow(int row) const { return row == rows_; }
    // Whether the column is one of the table's key fields (whose values no two rows may share).
    bool isKeyColumn(int column) const { return column >= 0 && column < keyFields_; }
    bool newRowHasValues() const { return !pending_.empty(); }
    // Inserts the new row's values as a record: true when done or nothing was typed; else false
    // with the reason (a missing or repeated key, a column whose values must stay, a failed write)
    // and the column at fault (-1 when no one column is).
    bool commitNewRow(std::string& reason, int& faultColumn);
    void discardNewRow();
    // Deletes the records at these rows (the new row is ignored) as one step; throws vts::Error.
    void deleteRows(std::vector<int> rows);
    // Shows the rows the import added at the end since the last count, keeping the place and an
    // open editor. Once `complete`, new rows take their numbers after every row's.
    void followAddedRows(bool complete);
    // Sorts the view by a column (-1: the table's own order). Throws vts::Error.
    void sortBy(int column, bool descending);
    int sortColumn() const { return source_->OrderColumn(); }
    bool sortDescending() const { return source_->OrderDescending(); }
    // Edits made between beginStep and endStep are undone together.
    void beginStep() { undo_.begin(); }
    void endStep() { undo_.end(); }
    bool canUndo() const { return undo_.canUndo(); }
    // Undoes the last change of this session. Throws vts::Error when the table no longer holds
    // what the change left (the step is then dropped).
    void undo();
    // The first cell after (forward) or before `from`, in display order and wrapping around,
    // whose text holds `text` (case ignored). Sets wrapped when the search passed the end.
    QModelIndex find(const QString& text, const QModelIndex& from, bool forward, bool& wrapped) const;

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
    std::string newRowRefusal(int& faultColumn) const;
    std::string changeRefusal(const db::GridSource::Row& current, int column, const pdx::Value& value) const;
    std::string keptValueRefusal(int column) const;
    std::string requiredRefusal(int column) const;
    void fillDefaults();
    bool keptChoice(const QModelIndex& index) const;
    std::vector<int> keyColumns() const;
    void reload();  // after rows were added or deleted elsewhere than at the bottom
    void forgetRows();
    void undoStep(const GridUndoStep& step);
    bool matches(const db::GridSource::Row& r, int column, const QString& text, const std::string& asciiNeedle) const;

    std::shared_ptr<db::GridSource> source_;
    std::vector<CellRule> rules_;
    std::function<void(const std::string&)> reportError_;
    int rows_ = 0;
    int keyFields_ = 0;  // leading columns forming the table's key
    // Columns numbered by the table in a new row, each with the next number to give: a number
    // once given is not given again in this session, even when its row is deleted.
    std::map<int, std::int64_t> autoIncrement_;
    std::vector<pdx::Value> pending_;  // the new row's values, empty until one is typed
    GridUndoLog undo_;
    // Fetched windows by window number, least recently used at the back.
    mutable std::unordered_map<std::int64_t, std::vector<db::GridSource::Row>> windows_;
    mutable std::list<std::int64_t> recent_;
};

}  // namespace vts
