// DataGrid1: the grid view bound to the working table, and the members the exporters read.
// The exporters' walk moves a window of its own over the rows, so every row is visited once in
// display order whatever the user scrolled to. The walk reads the rows in large batches straight
// from the table; the view stays where the user left it (moving it per row would cost more than
// the export itself).
#pragma once
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
    // keptFields: column name -> why its values must stay as they are (shown on hover).
    void setDataSource(std::shared_ptr<db::GridSource> source, const std::optional<pdx::Schema>& structure = {},
                       const std::map<std::string, std::string>& keptFields = {});
    bool isBound() const { return model_ != nullptr; }
    GridModel* gridModel() const { return model_.get(); }
    // Where the grid reports a refused edit or a failed write (default: a message box).
    void setErrorReporter(std::function<void(const std::string&)> report) { report_ = std::move(report); }

    // Stores what the open cell editor holds, if one is open, and closes it. A value its column
    // refuses keeps the editor open with the reason shown; the result is then false.
    bool commitOpenEditor();
    // Why the last value typed into a cell was refused.
    const std::string& lastRefusal() const { return lastRefusal_; }
    // Sets the selected cells of editable columns to nothing (Null), as the Delete key does.
    void clearSelectedCells();

    void beginWalk() override;
    long ApproxCount() override;
    int VisibleRows() override;
    void setRow(int row) override;
    void Scroll(int cols, int rows) override;
    int columnCount() override;
    std::string columnCaption(int k) override;
    std::string columnText(int k) override;

protected:
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void keepEditorOpen(QWidget* editor);
    QWidget* openEditor() const;
    void fitColumns();
    const db::GridSource::Row* walkRow();

    std::unique_ptr<GridModel> model_;
    std::function<void(const std::string&)> report_;
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
