#include "pages/data_grid_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <QToolTip>
#include <QMessageBox>
#include <QScrollBar>
#include <algorithm>

#include "pages/cell_editor.h"

namespace vts {

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
}

DataGridView::~DataGridView() { setModel(nullptr); }

void DataGridView::setDataSource(std::shared_ptr<db::GridSource> source, const std::optional<pdx::Schema>& structure,
                                 const std::map<std::string, std::string>& keptFields) {
    setModel(nullptr);
    model_.reset();
    walkTop_ = 0;
    currentRow_ = -1;
    walkRows_.clear();
    if (!source) return;
    model_ = std::make_unique<GridModel>(
        std::move(source), structure, [this](const std::string& text) { report_(text); }, keptFields);
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
    if (!editor) return true;
    commitData(editor);
    if (refusedEditor_ == editor) {
        keepEditorOpen(editor);
        return false;
    }
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

void DataGridView::commitData(QWidget* editor) {
    const QModelIndex index = CellEditorDelegate::indexOf(editor, model());
    if (index.isValid() && !delegate_->accepts(editor, index)) {
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
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState && model_) {
        clearSelectedCells();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DataGridView::clearSelectedCells() {
    if (!model_) return;
    QModelIndexList cells = selectionModel()->selectedIndexes();
    if (cells.isEmpty() && currentIndex().isValid()) cells = {currentIndex()};
    for (const QModelIndex& cell : cells)
        if ((model_->flags(cell) & Qt::ItemIsEditable) && !model_->displayText(cell.row(), cell.column()).empty())
            model_->setData(cell, QString(), Qt::EditRole);
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

long DataGridView::ApproxCount() { return model_ ? model_->rowCount() : 0; }

int DataGridView::VisibleRows() {
    const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
    return std::max(1, viewport()->height() / rowHeight);
}

void DataGridView::setRow(int row) { currentRow_ = walkTop_ + row; }

void DataGridView::Scroll(int, int rows) { walkTop_ += rows; }

const db::GridSource::Row* DataGridView::walkRow() {
    if (!model_ || currentRow_ < 0 || currentRow_ >= model_->rowCount()) return nullptr;
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

std::string DataGridView::columnText(int k) {
    const db::GridSource::Row* row = walkRow();
    return row ? model_->textOf(k, row->values.at(static_cast<size_t>(k))) : std::string();
}

}  // namespace vts
