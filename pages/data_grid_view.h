// DataGrid1: the grid view bound to the working table, and the members the exporters read.
// The exporters' walk moves a window of its own over the rows, so every row is visited once in
// display order whatever the user scrolled to; the view follows that window on screen.
#pragma once
#include <QTableView>
#include <functional>
#include <memory>
#include <optional>

#include "export/data_grid.h"
#include "pages/grid_model.h"

namespace vts {

class DataGridView : public QTableView, public DataGrid {
public:
    explicit DataGridView(QWidget* parent);
    ~DataGridView() override;

    // Binds the grid to a data source, or unbinds it (nullptr): the grid then holds nothing open.
    void setDataSource(std::shared_ptr<db::GridSource> source, const std::optional<pdx::Schema>& structure = {});
    bool isBound() const { return model_ != nullptr; }
    GridModel* gridModel() const { return model_.get(); }
    // Where the grid reports a refused edit or a failed write (default: a message box).
    void setErrorReporter(std::function<void(const std::string&)> report) { report_ = std::move(report); }

    void beginWalk() override;
    long ApproxCount() override;
    int VisibleRows() override;
    void setRow(int row) override;
    void Scroll(int cols, int rows) override;
    int columnCount() override;
    std::string columnCaption(int k) override;
    std::string columnText(int k) override;

private:
    void fitColumns();
    void showWindowTop();

    std::unique_ptr<GridModel> model_;
    std::function<void(const std::string&)> report_;
    long walkTop_ = 0;     // first row of the exporters' window
    long currentRow_ = -1; // row made current by setRow
};

}  // namespace vts
