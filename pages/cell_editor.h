// Cell editors that follow the column's kind: a line for numbers, dates and text, a list for
// True/False, a multi-line editor for memos. Input that does not fit is refused with a short
// reason and never written.
#pragma once
#include <QStyledItemDelegate>
#include <functional>
#include <string>

namespace vts {

class GridModel;

class CellEditorDelegate : public QStyledItemDelegate {
public:
    // refuse shows the reason for refused input (default: a tool tip at the editor).
    explicit CellEditorDelegate(QObject* parent, std::function<void(QWidget*, const std::string&)> refuse = {});

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

    // Whether the editor's text may be stored in the cell: unchanged text always may; refused
    // text is reported with its reason.
    bool accepts(QWidget* editor, const QModelIndex& index) const;
    // The cell an editor of this delegate was opened on.
    static QModelIndex indexOf(QWidget* editor, const QAbstractItemModel* model);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    static QString editorText(QWidget* editor);
    static bool unchanged(QWidget* editor, const QModelIndex& index);

    std::function<void(QWidget*, const std::string&)> refuse_;
};

}  // namespace vts
