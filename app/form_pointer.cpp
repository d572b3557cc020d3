#include "app/form_pointer.h"

#include "app/display_helpers.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QWidget>

namespace vts {

namespace {
const char* kRole = "vtsHoverRole";
}

FormPointer::FormPointer(QWidget* window) : QObject(window), window_(window) {}

FormPointer::~FormPointer() {
    if (overridden_) QApplication::restoreOverrideCursor();
}

void FormPointer::setMousePointer(int value) {
    value_ = value;
    // The hourglass must show over every control, including those with a cursor of their own.
    if (value == pointer::Hourglass && !overridden_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        overridden_ = true;
    } else if (value != pointer::Hourglass && overridden_) {
        QApplication::restoreOverrideCursor();
        overridden_ = false;
    }
    if (value == pointer::Hourglass) window_->setCursor(Qt::WaitCursor);
    else if (value == pointer::Hand && custom_) window_->setCursor(*custom_);
    else window_->unsetCursor();
}

void FormPointer::hoverButton() {
    if (value_ != pointer::Hourglass) setMousePointer(pointer::Hand);
}

void FormPointer::hoverBackground() {
    if (value_ != pointer::Hourglass) setMousePointer(pointer::Default);
}

void FormPointer::watchButton(QWidget* w) {
    w->setProperty(kRole, 1);
    w->setMouseTracking(true);
    w->installEventFilter(this);
}

void FormPointer::watchBackground(QWidget* w) {
    w->setProperty(kRole, 0);
    w->setMouseTracking(true);
    w->installEventFilter(this);
}

bool FormPointer::eventFilter(QObject* watched, QEvent* event) {
    const bool move = event->type() == QEvent::MouseMove;
    if (!move && event->type() != QEvent::Enter) return QObject::eventFilter(watched, event);
    if (watched->property(kRole).toInt() == 1) {
        hoverButton();
        // An unpressed move that the button ignores would reach the window behind it as well.
        auto* me = static_cast<QMouseEvent*>(event);
        if (move && me->buttons() == Qt::NoButton) return true;
    } else {
        hoverBackground();
    }
    return QObject::eventFilter(watched, event);
}

QPushButton* FormPointer::addButton(QWidget* parent, const char* name, const char* caption, const QRect& place) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(place);
    b->setFont(arial(11.25, true));
    watchButton(b);
    return b;
}

}  // namespace vts
