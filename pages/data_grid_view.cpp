#include "pages/data_grid_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <QToolTip>
#include <QMessageBox>
#include <QScrollBar>
#include <algorithm>

#include "pages/cell_editor.h"

namespace vts {

namespace {

// The hourglass while a sort of a large table runs.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

DataGridView::DataGridView(QWidget* parent) : QTableView(parent) {
    setObjectName("DataGrid1");
    delegate_ = new CellEditorDelegate(this, [this](QWidget* editor, const std::string& reason) {
        lastRefusal_ = reason;
        QToolTip::showText(editor->mapToGlobal(QPoint(0, editor->height())), QString::fromStdString(reason), editor);
    });
    setItemDelegate(delegate_);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ExtendedSelection);  // Delete clears a block of cells
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    // Fixed row heights keep a table of a million rows cheap to lay out.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    setWordWrap(false);
    report_ = [this](const std::string& text) {
        QMessageBox::warning(this, "Verdalith Table Studio", QString::fromStdString(text));
    };
    confirm_ = [this](const std::string& text) {
        return QMessageBox::question(this, "Verdalith Table Studio", QString::fromStdString(text)) == QMessageBox::Yes;
    };
    rowMenu_ = new QMenu(this);
    QAction* deleteRows = rowMenu_->addAction("Delete Rows\tCtrl+Del");
    deleteRows->setObjectName("mnuDeleteRows");
    connect(deleteRows, &QAction::triggered, this, [this] { deleteSelectedRows(); });
    QAction* undo = rowMenu_->addAction("Undo\tCtrl+Z");
    undo->setObjectName("mnuUndo");
    connect(undo, &QAction::triggered, this, [this] { undoLastChange(); });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) { sortByHeading(column); });
}

DataGridView::~DataGridView() { setModel(nullptr); }

void DataGridView::setDataSource(std::shared_ptr<db::GridSource> source, const std::optional<pdx::Schema>& structure,
                                 const TableFacts& facts) {
    setModel(nullptr);
    model_.reset();
    walkTop_ = 0;
    currentRow_ = -1;
    walkRows_.clear();
    horizontalHeader()->setSortIndicatorShown(false);
    if (!source) return;
    model_ = std::make_unique<GridModel>(
        std::move(source), structure, [this](const std::string& text) { report_(text); }, facts);
    setModel(model_.get());
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    fitColumns();
}

QWidget* DataGridView::openEditor() const {
    if (refusedEditor_) return refusedEditor_;
    return state() == QAbstractItemView::EditingState ? indexWidget(currentIndex()) : nullptr;
}

bool DataGridView::commitOpenEditor() {
    QWidget* editor = openEditor();
    if (editor) {
        commitData(editor);
        if (refusedEditor_ == editor) {
            keepEditorOpen(editor);
            return false;
        }
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    return commitNewRow();
}

// The new row becomes a record when the user leaves it, or before the page does anything with
// the table; a row the table refuses stays with its values, and the reason is shown.
bool DataGridView::commitNewRow() {
    if (!model_ || !model_->newRowHasValues()) return true;
    if (!wholeTable()) return false;  // the values stay in the new row
    std::string reason;
    int faultColumn = -1;
    if (model_->commitNewRow(reason, faultColumn)) return true;
    refuseNewRow(reason, faultColumn);
    return false;
}

// The cursor goes back to the new row, on the field at fault where one is.
void DataGridView::refuseNewRow(const std::string& reason, int faultColumn) {
    lastRefusal_ = reason + " Press Escape to give up the new row.";
    const int row = model_->dataRows();
    QTimer::singleShot(0, this, [this, row, faultColumn] {
        if (!model_ || !model_->isNewRow(row)) return;
        const int column = faultColumn >= 0 ? faultColumn : std::max(0, currentIndex().column());
        if (currentIndex().row() != row || currentIndex().column() != column)
            setCurrentIndex(model_->index(row, column));
    });
    report_(lastRefusal_);
}

void DataGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (model_ && previous.isValid() && model_->isNewRow(previous.row()) && current.row() != previous.row() &&
        state() != QAbstractItemView::EditingState)
        commitNewRow();
}

void DataGridView::commitData(QWidget* editor) {
    const QModelIndex index = CellEditorDelegate::indexOf(editor, model());
    // A key value is checked against every row, so it waits for the last one to be in.
    const bool keyWaits = index.isValid() && model_ && model_->isKeyColumn(index.column()) && !wholeTable();
    if (keyWaits || (index.isValid() && !delegate_->accepts(editor, index))) {
        refusedEditor_ = editor;
        return;
    }
    refusedEditor_ = nullptr;
    QTableView::commitData(editor);
}

void DataGridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor == refusedEditor_ && hint != QAbstractItemDelegate::RevertModelCache) {
        keepEditorOpen(editor);  // a click elsewhere must not drop what was typed
        return;
    }
    if (editor == refusedEditor_) refusedEditor_ = nullptr;  // Escape: the value is given up
    QTableView::closeEditor(editor, hint);
}

// Back to the refused editor's cell, once the view has finished moving elsewhere.
void DataGridView::keepEditorOpen(QWidget* editor) {
    QTimer::singleShot(0, editor, [this, editor] {
        const QModelIndex index = CellEditorDelegate::indexOf(editor, model());
        if (index.isValid() && currentIndex() != index)
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        const QWidget* focus = QApplication::focusWidget();
        if (!focus || window()->isAncestorOf(focus) || focus == window()) editor->setFocus();
    });
}

void DataGridView::keyPressEvent(QKeyEvent* event) {
    if (model_ && state() != QAbstractItemView::EditingState && handleKey(event)) return;
    QTableView::keyPressEvent(event);
}

// The grid's own keys, outside a cell editor (which keeps its own Ctrl+Z and Escape).
bool DataGridView::handleKey(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (event->key() == Qt::Key_Delete && ctrl) deleteSelectedRows();
    else if (event->key() == Qt::Key_Delete) clearSelectedCells();
    else if (event->matches(QKeySequence::Undo)) undoLastChange();
    else if (event->matches(QKeySequence::Find) && findRequest_) findRequest_();
    else if (event->key() == Qt::Key_Escape && model_->newRowHasValues()) model_->discardNewRow();
    else return false;
    return true;
}

void DataGridView::contextMenuEvent(QContextMenuEvent* event) {
    if (!model_) return;
    rowMenu_->exec(event->globalPos());
}

void DataGridView::clearSelectedCells() {
    if (!model_) return;
    QModelIndexList cells = selectionModel()->selectedIndexes();
    if (cells.isEmpty() && currentIndex().isValid()) cells = {currentIndex()};
    model_->beginStep();  // one Ctrl+Z brings them all back
    for (const QModelIndex& cell : cells)
        if ((model_->flags(cell) & Qt::ItemIsEditable) && !model_->displayText(cell.row(), cell.column()).empty())
            model_->setData(cell, QString(), Qt::EditRole);
    model_->endStep();
}

void DataGridView::deleteSelectedRows() {
    if (!model_ || !commitOpenEditor() || !wholeTable()) return;
    // By ranges: a selection of whole rows or of all cells lists no cell one by one.
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int r = range.top(); r <= std::min(range.bottom(), model_->dataRows() - 1); ++r) rows.push_back(r);
    if (rows.empty() && currentIndex().isValid() && !model_->isNewRow(currentIndex().row()))
        rows.push_back(currentIndex().row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty()) return;
    const std::string question = rows.size() == 1
                                     ? "Delete the selected row from the table?"
                                     : "Delete the " + std::to_string(rows.size()) + " selected rows from the table?";
    if (!confirm_(question)) return;
    const int column = std::max(0, currentIndex().column());
    try {
        model_->deleteRows(rows);
    } catch (const std::exception& e) {
        report_(e.what());
    }
    setCurrentIndex(model_->index(std::min(rows.front(), model_->dataRows()), column));
}

void DataGridView::undoLastChange() {
    if (!model_) return;
    if (!openEditor() && model_->newRowHasValues()) {
        model_->discardNewRow();  // the latest change is the row still being typed
        return;
    }
    if (!model_->canUndo() || !commitOpenEditor()) return;
    const QModelIndex current = currentIndex();
    try {
        model_->undo();
    } catch (const std::exception& e) {
        report_(e.what());
    }
    if (!currentIndex().isValid() && current.isValid())
        setCurrentIndex(model_->index(std::min(current.row(), model_->dataRows()), current.column()));
}

void DataGridView::sortByHeading(int column) {
    if (!model_ || !commitOpenEditor() || !wholeTable()) return;
    // Ascending, then descending, then the table's own order.
    int sortColumn = column;
    bool descending = false;
    if (model_->sortColumn() == column && !model_->sortDescending()) descending = true;
    else if (model_->sortColumn() == column) sortColumn = -1;
    try {
        const WaitCursor wait;
        model_->sortBy(sortColumn, descending);
    } catch (const std::exception& e) {
        report_(e.what());
    }
    horizontalHeader()->setSortIndicatorShown(model_->sortColumn() >= 0);
    if (model_->sortColumn() >= 0)
        horizontalHeader()->setSortIndicator(model_->sortColumn(),
                                             model_->sortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

bool DataGridView::findText(const QString& text, bool forward, bool& wrapped) {
    wrapped = false;
    if (!model_ || !commitOpenEditor() || !wholeTable()) return false;
    const QModelIndex found = model_->find(text, currentIndex(), forward, wrapped);
    if (!found.isValid()) return false;
    selectionModel()->setCurrentIndex(found, QItemSelectionModel::ClearAndSelect);
    scrollTo(found);
    return true;
}

void DataGridView::fitColumns() {
    const int sample = std::min(model_->rowCount(), 50);
    const QFontMetrics fm = fontMetrics();
    for (int c = 0; c < model_->columnCount(); ++c) {
        int width = fm.horizontalAdvance(QString::fromStdString(model_->caption(c))) + 24;
        for (int r = 0; r < sample; ++r)
            width = std::max(width, fm.horizontalAdvance(QString::fromStdString(model_->displayText(r, c))) + 12);
        setColumnWidth(c, std::min(width, 320));
    }
}

void DataGridView::beginWalk() {
    walkTop_ = 0;
    walkRows_.clear();
}

long DataGridView::ApproxCount() { return model_ ? model_->dataRows() : 0; }

int DataGridView::VisibleRows() {
    const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
    return std::max(1, viewport()->height() / rowHeight);
}

void DataGridView::setRow(int row) { currentRow_ = walkTop_ + row; }

void DataGridView::Scroll(int, int rows) { walkTop_ += rows; }

const db::GridSource::Row* DataGridView::walkRow() {
    if (!model_ || currentRow_ < 0 || currentRow_ >= model_->dataRows()) return nullptr;
    const long offset = currentRow_ - walkRowsStart_;
    if (offset < 0 || offset >= static_cast<long>(walkRows_.size())) {
        constexpr long kBatch = 4096;
        walkRows_ = model_->fetch(currentRow_, kBatch);
        walkRowsStart_ = currentRow_;
        if (walkRows_.empty()) return nullptr;
        return &walkRows_.front();
    }
    return &walkRows_[static_cast<size_t>(offset)];
}

int DataGridView::columnCount() { return model_ ? model_->columnCount() : 0; }

std::string DataGridView::columnCaption(int k) { return model_ ? model_->caption(k) : std::string(); }

ColumnKind DataGridView::columnKind(int k) {
    if (!model_) return ColumnKind::Text;
    switch (model_->rule(k).kind) {
        case CellKind::Integer:
        case CellKind::Number:
        case CellKind::Decimal: return ColumnKind::Number;
        case CellKind::Date: return ColumnKind::Date;
        case CellKind::Time: return ColumnKind::Time;
        case CellKind::Timestamp: return ColumnKind::DateTime;
        case CellKind::Logical: return ColumnKind::Logical;
        default: return ColumnKind::Text;
    }
}

std::string DataGridView::columnText(int k) {
    const db::GridSource::Row* row = walkRow();
    return row ? model_->textOf(k, row->values.at(static_cast<size_t>(k))) : std::string();
}

}  // namespace vts
