#include "pages/cell_editor.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QToolTip>
#include <algorithm>

#include "pages/grid_model.h"

namespace vts {

namespace {

const char* kIndexRow = "vtsRow";
const char* kIndexColumn = "vtsColumn";
// A memo editor's document as first shown, and the line end the memo used.
const char* kMemoShown = "vtsMemoShown";
const char* kMemoLineEnd = "vtsMemoLineEnd";

// The editor keeps paragraphs, not line ends: edited text gets the memo's own back.
QString lineEndOf(const QString& text) {
    if (text.contains("\r\n")) return "\r\n";
    if (text.contains('\r')) return "\r";
    return "\n";
}

// The document's text with its characters as typed (toPlainText would turn non-breaking
// spaces into blanks) and the memo's line ends.
QString memoText(const QPlainTextEdit* memo) {
    QString text = memo->document()->toRawText();
    const QString lineEnd = memo->property(kMemoLineEnd).toString();
    text.replace(QChar::ParagraphSeparator, lineEnd);
    text.replace(QChar::LineSeparator, lineEnd);
    return text;
}

bool memoUntouched(QWidget* editor) {
    auto* memo = qobject_cast<QPlainTextEdit*>(editor);
    return memo && memo->document()->toRawText() == memo->property(kMemoShown).toString();
}

const GridModel* gridModel(const QModelIndex& index) { return dynamic_cast<const GridModel*>(index.model()); }

}  // namespace

CellEditorDelegate::CellEditorDelegate(QObject* parent, std::function<void(QWidget*, const std::string&)> refuse)
    : QStyledItemDelegate(parent), refuse_(std::move(refuse)) {
    if (!refuse_)
        refuse_ = [](QWidget* editor, const std::string& reason) {
            QToolTip::showText(editor->mapToGlobal(QPoint(0, editor->height())), QString::fromStdString(reason),
                               editor);
        };
}

QWidget* CellEditorDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const {
    const GridModel* model = gridModel(index);
    if (!model) return QStyledItemDelegate::createEditor(parent, option, index);
    const CellRule& rule = model->rule(index.column());
    QWidget* editor = nullptr;
    if (rule.kind == CellKind::Logical) {
        auto* box = new QComboBox(parent);
        box->addItems({"", "True", "False"});
        editor = box;
    } else if (rule.multiLine()) {
        auto* memo = new QPlainTextEdit(parent);
        memo->setMinimumHeight(80);
        editor = memo;
    } else {
        auto* line = new QLineEdit(parent);
        if (rule.kind == CellKind::Text && rule.maxLength > 0) line->setMaxLength(rule.maxLength);
        editor = line;
    }
    editor->setProperty(kIndexRow, index.row());
    editor->setProperty(kIndexColumn, index.column());
    editor->installEventFilter(const_cast<CellEditorDelegate*>(this));
    return editor;
}

void CellEditorDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* box = qobject_cast<QComboBox*>(editor)) box->setCurrentText(text);
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(editor)) {
        memo->setPlainText(text);
        memo->setProperty(kMemoShown, memo->document()->toRawText());
        memo->setProperty(kMemoLineEnd, lineEndOf(text));
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) line->setText(text);
}

QString CellEditorDelegate::editorText(QWidget* editor) {
    if (auto* box = qobject_cast<QComboBox*>(editor)) return box->currentText();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(editor)) return memoText(memo);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) return line->text();
    return {};
}

bool CellEditorDelegate::unchanged(QWidget* editor, const QModelIndex& index) {
    return memoUntouched(editor) || editorText(editor) == index.data(Qt::EditRole).toString();
}

bool CellEditorDelegate::accepts(QWidget* editor, const QModelIndex& index) const {
    const GridModel* model = gridModel(index);
    if (!model || unchanged(editor, index)) return true;
    const CellInput input = parseCellInput(model->rule(index.column()), editorText(editor).toStdString());
    const std::string why = input.ok ? model->editRefusal(index, input.value) : input.reason;
    if (!why.empty()) refuse_(editor, why);
    return why.empty();
}

QModelIndex CellEditorDelegate::indexOf(QWidget* editor, const QAbstractItemModel* model) {
    const QVariant row = editor->property(kIndexRow), column = editor->property(kIndexColumn);
    if (!model || !row.isValid() || !column.isValid()) return {};
    return model->index(row.toInt(), column.toInt());
}

void CellEditorDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    // Text unchanged is no edit: nothing is written.
    if (unchanged(editor, index) || !accepts(editor, index)) return;
    model->setData(index, editorText(editor), Qt::EditRole);
}

void CellEditorDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                              const QModelIndex& index) const {
    QStyledItemDelegate::updateEditorGeometry(editor, option, index);
    // A True/False list in a narrow column would cut its words.
    if (auto* box = qobject_cast<QComboBox*>(editor))
        box->resize(std::max(box->width(), box->sizeHint().width()), box->height());
}

bool CellEditorDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool memo = qobject_cast<QPlainTextEdit*>(editor) != nullptr;
        // In a memo, Enter is a line break; Ctrl+Enter or Tab accepts it.
        if (memo && enter && !(key->modifiers() & Qt::ControlModifier)) return false;
        if (enter || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            const QAbstractItemModel* model = nullptr;
            if (auto* view = qobject_cast<QAbstractItemView*>(
                    editor->parentWidget() ? editor->parentWidget()->parentWidget() : nullptr))
                model = view->model();
            const QModelIndex index = indexOf(editor, model);
            if (index.isValid() && !accepts(editor, index)) return true;  // stays open
            // Tab and Shift+Tab move on to the next or previous cell, as in every grid.
            const auto hint = key->key() == Qt::Key_Tab       ? QAbstractItemDelegate::EditNextItem
                              : key->key() == Qt::Key_Backtab ? QAbstractItemDelegate::EditPreviousItem
                                                              : QAbstractItemDelegate::SubmitModelCache;
            emit commitData(editor);
            emit closeEditor(editor, hint);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

}  // namespace vts
