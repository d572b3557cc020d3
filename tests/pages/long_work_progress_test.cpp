// The progress dialog of long work is not clipped: its caption and its row counts fit.
#include <QProgressDialog>
#include <QTest>

#include <gtest/gtest.h>

#include "pages/long_work_progress.h"
#include "platform/ui/qt_dialogs.h"

namespace vts {
namespace {

TEST(LongWorkProgress, TheDialogHasRoomForItsCaptionAndItsRowCounts) {
    QWidget page;
    page.show();
    LongWorkProgress progress(&page, "Copying the table CUSTOMER...");
    QTest::qWait(600);  // it shows only for work that takes a while
    progress.update(1, 1000000);
    ASSERT_TRUE(progress.shown());
    const QProgressDialog* dialog = progress.dialog();
    QFont bold = dialog->font();
    bold.setBold(true);
    EXPECT_GE(dialog->width(), QFontMetrics(bold).horizontalAdvance(dialog->windowTitle()) + kCaptionDecoration);
    progress.update(999999, 1000000);
    EXPECT_GE(dialog->width(), dialog->sizeHint().width());
    EXPECT_GE(dialog->height(), dialog->sizeHint().height());
}

}  // namespace
}  // namespace vts
