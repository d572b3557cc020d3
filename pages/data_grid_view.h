// DataGrid1: the grid view bound to the working table, and the members the exporters read.
// The exporters' walk moves a window of its own over the rows, so every row is visited once in
// display order whatever the user scrolled to. The walk reads the rows in large batches straight
// from the table; the view stays where the user left it (moving it per row would cost more than
// the export itself). The grid adds rows (its last row), deletes the selected ones after a
// question, sorts the view by a column heading, and undoes the changes of this session.
#pragma once
#include <QMenu>
#include <QPointer>
#include <QTableView>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "export/data_grid.h"
#include "pages/cell_editor.h"
#include "pages/grid_model.h"

namespace vts {

class DataGridView : public QTableView, public DataGrid {
public:
    explicit DataGridView(QWidget* parent);
    ~DataGridView() override;

    // Binds the grid to a data source, or unbinds it (nullptr): the grid then holds nothing open.
    // facts: columns whose values must stay (shown on hover), the table's autoincrement counter.
    void setDataSource(std::shared_ptr<db::GridSource> source, const std::optional<pdx::Schema>& structure = {},
                       const TableFacts& facts = {});
    bool isBound() const { return model_ != nullptr; }
    GridModel* gridModel() const { return model_.get(); }
    // Where the grid reports a refused edit or a failed write (default: a message box).
    void setErrorReporter(std::function<void(const std::string&)> report) { report_ = std::move(report); }
    // Asks a Yes/No question; true for Yes (default: a message box).
    void setConfirmer(std::function<bool(const std::string&)> confirm) { confirm_ = std::move(confirm); }
    // Called for Ctrl+F in the grid.
    void setFindRequest(std::function<void()> find) { findRequest_ = std::move(find); }
    // Asked before work that needs every row of the table (a new row, a key value, deleting,
    // sorting, finding); false stops the work. Rows may still be arriving while the grid shows
    // the first ones.
    void setWholeTableGate(std::function<bool()> gate) { wholeTableGate_ = std::move(gate); }

    // Stores what the open cell editor holds, if one is open, and closes it. A value its column
    // refuses keeps the editor open with the reason shown; the result is then false.
    bool commitOpenEditor();
    // Why the last value typed into a cell was refused.
    const std::string& lastRefusal() const { return lastRefusal_; }
    // Sets the selected cells of editable columns to nothing (Null), as the Delete key does.
    void clearSelectedCells();
    // Deletes the records of the selected rows after asking, as Ctrl+Delete and "Delete Rows" do.
    void deleteSelectedRows();
    // Undoes the last change of this session, as Ctrl+Z does.
    void undoLastChange();
    // A column heading's click: sorts ascending, then descending, then back to the table's order.
    void sortByHeading(int column);
    // Finds text (case ignored) after or before the current cell and makes that cell current.
    // Returns whether found; wrapped tells that the search went past the end (or the top).
    bool findText(const QString& text, bool forward, bool& wrapped);
    QMenu* rowMenu() const { return rowMenu_; }

    void beginWalk() override;
    long ApproxCount() override;
    int VisibleRows() override;
    void setRow(int row) override;
    void Scroll(int cols, int rows) override;
    int columnCount() override;
    std::string columnCaption(int k) override;
    std::string columnText(int k) override;
    ColumnKind columnKind(int k) override;

protected:
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    bool commitNewRow();
    void refuseNewRow(const std::string& reason, int faultColumn);
    bool handleKey(QKeyEvent* event);
    void keepEditorOpen(QWidget* editor);
    QWidget* openEditor() const;
    void fitColumns();
    const db::GridSource::Row* walkRow();

    std::unique_ptr<GridModel> model_;
    std::function<void(const std::string&)> report_;
    std::function<bool(const std::string&)> confirm_;
    std::function<void()> findRequest_;
    std::function<bool()> wholeTableGate_;
    bool wholeTable() const { return !wholeTableGate_ || wholeTableGate_(); }
    QMenu* rowMenu_;
    CellEditorDelegate* delegate_;
    QPointer<QWidget> refusedEditor_;  // an editor kept open because its value was refused
    std::string lastRefusal_;
    long walkTop_ = 0;      // first row of the exporters' window
    long currentRow_ = -1;  // row made current by setRow
    // The batch of rows the walk reads from, and the position of its first row.
    std::vector<db::GridSource::Row> walkRows_;
    long walkRowsStart_ = 0;
};

}  // namespace vts
