// A page's mouse pointer (0 arrow, 11 hourglass, 99 hand) and the hover rules of the pages:
// over a push button the hand, over the background and other controls the arrow, and
// neither while the hourglass shows.
#pragma once
#include <QCursor>
#include <QObject>
#include <optional>

#include "platform/shell/pointer.h"

class QPushButton;
class QRect;
class QWidget;

namespace vts {

class FormPointer : public QObject, public PointerHost {
public:
    explicit FormPointer(QWidget* window);
    ~FormPointer() override;

    int mousePointer() const override { return value_; }
    void setMousePointer(int value) override;

    // The window's custom pointer picture (the hand); unset, pointer 99 shows the arrow.
    void setCustomCursor(const QCursor& cursor) { custom_ = cursor; }

    // Mouse moves over these widgets follow the hover rules.
    void watchButton(QWidget* w);
    void watchBackground(QWidget* w);

    // A page's push button: design name, caption, place and the pages' button font, watched.
    QPushButton* addButton(QWidget* parent, const char* name, const char* caption, const QRect& place);

    // The hover rules themselves, also called by tests.
    void hoverButton();
    void hoverBackground();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    int value_ = pointer::Default;
    std::optional<QCursor> custom_;
    bool overridden_ = false;
};

}  // namespace vts
