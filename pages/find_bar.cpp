#include "pages/find_bar.h"

#include <QKeyEvent>

#include "pages/data_grid_view.h"

namespace vts {

FindBar::FindBar(QWidget* parent, DataGridView& grid) : QWidget(parent), grid_(grid) {
    setObjectName("FindBar");
    text = new QLineEdit(this);
    text->setObjectName("FindText");
    text->setPlaceholderText("Find");
    next = new QPushButton("Next", this);
    next->setObjectName("FindNext");
    previous = new QPushButton("Previous", this);
    previous->setObjectName("FindPrevious");
    note = new QLabel(this);
    note->setObjectName("FindNote");
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(text), static_cast<QWidget*>(next),
                       static_cast<QWidget*>(previous)})
        w->installEventFilter(this);
    connect(next, &QPushButton::clicked, this, [this] { findNext(true); });
    connect(previous, &QPushButton::clicked, this, [this] { findNext(false); });
    connect(text, &QLineEdit::returnPressed, this, [this] { findNext(true); });
    connect(text, &QLineEdit::textChanged, note, &QLabel::clear);
    hide();
}

void FindBar::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    const int h = height(), gap = 4;
    const int buttons = next->sizeHint().width() + previous->sizeHint().width();
    const int line = std::max(80, std::min(180, width() / 3));
    text->setGeometry(0, 0, line, h);
    next->setGeometry(line + gap, 0, next->sizeHint().width(), h);
    previous->setGeometry(next->geometry().right() + gap, 0, previous->sizeHint().width(), h);
    note->setGeometry(line + buttons + 3 * gap, 0, std::max(0, width() - line - buttons - 3 * gap), h);
}

void FindBar::open() {
    note->clear();
    show();
    raise();
    text->setFocus();
    text->selectAll();
}

void FindBar::dismiss() {
    hide();
    grid_.setFocus();
}

void FindBar::findNext(bool forward) {
    if (text->text().isEmpty()) return;
    bool wrapped = false;
    if (!grid_.findText(text->text(), forward, wrapped)) note->setText("\"" + text->text() + "\" was not found.");
    else if (wrapped)
        note->setText(forward ? "Passed the end; continued from the top." : "Passed the top; continued from the end.");
    else note->clear();
}

bool FindBar::eventFilter(QObject* object, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            dismiss();
            return true;
        }
        if (object == text && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & Qt::ShiftModifier)) {
            findNext(false);
            return true;
        }
    }
    return QWidget::eventFilter(object, event);
}

}  // namespace vts
