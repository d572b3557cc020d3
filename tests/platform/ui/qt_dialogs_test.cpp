// The real message boxes: whole captions, the arrow over a busy page, the icons the style asks
// for.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/ui/qt_dialogs.h"

namespace vts {
namespace {

struct Seen {
    int width = 0;
    int captionWidth = 0;
    Qt::CursorShape cursor = Qt::BlankCursor;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Shows a message box, looks at it once it is up, and answers with its last button.
Seen showAndAnswer(const std::string& text, int style) {
    Seen seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        QFont bold = box->font();
        bold.setBold(true);
        seen.width = box->width();
        seen.captionWidth = QFontMetrics(bold).horizontalAdvance(box->windowTitle());
        seen.icon = box->icon();
        if (const QCursor* c = QApplication::overrideCursor()) seen.cursor = c->shape();
        box->buttons().last()->click();
    });
    QtDialogs dialogs;
    dialogs.messageBox(text, style, "Verdalith Table");
    return seen;
}

TEST(QtDialogs, AShortMessageLeavesRoomForTheWholeCaption) {
    const Seen seen = showAndAnswer("Done", mb::OkOnly);
    EXPECT_GE(seen.width, seen.captionWidth + kCaptionDecoration);
}

TEST(QtDialogs, TheArrowShowsOverAMessageWhileThePageIsBusy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Seen seen = showAndAnswer("Please select a table", mb::OkOnly);
    EXPECT_EQ(seen.cursor, Qt::ArrowCursor);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);  // busy again afterwards
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtDialogs, IconsFollowTheStyle) {
    EXPECT_EQ(showAndAnswer("Discard them?", mb::YesNo | mb::Question).icon, QMessageBox::Question);
    EXPECT_EQ(showAndAnswer("Failed", mb::Exclamation).icon, QMessageBox::Warning);
    EXPECT_EQ(showAndAnswer("Note", mb::OkOnly).icon, QMessageBox::NoIcon);
}

}  // namespace
}  // namespace vts
