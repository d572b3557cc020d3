// Path test, title, skin and system colours, the built cursor file.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <fstream>

#include <gtest/gtest.h>

#include "app/display_helpers.h"
#include "platform/ui/cursor_file.h"
#include "tests/support/temp_dir.h"

namespace vts {
namespace {

TEST(DisplayHelpers, PathExists) {
    test::TempDir dir;
    std::ofstream(dir / "file.txt") << "x";
    EXPECT_FALSE(PathExists(""));
    EXPECT_TRUE(PathExists(dir.str()));
    EXPECT_TRUE(PathExists((dir / "file.txt").string()));
    EXPECT_FALSE(PathExists((dir / "missing").string()));
}

TEST(DisplayHelpers, AppTitleDropsTheLastWordAtLeastOnce) {
    EXPECT_EQ(SetAppTitle("Verdalith Table Studio"), "Verdalith Table");
    EXPECT_EQ(SetAppTitle("Alpha Beta Gamma"), "Alpha Beta");
    const std::string longName = "Averyveryverylongword Anotherveryverylongword Third";
    EXPECT_EQ(SetAppTitle(longName), "Averyveryverylongword");
    EXPECT_EQ(SetAppTitle("Single"), "Single");
}

TEST(DisplayHelpers, SkinOnlyWhenTheSkinFileExists) {
    test::TempDir dir;
    QWidget form;
    QPalette white = form.palette();
    white.setColor(QPalette::Window, Qt::white);
    form.setPalette(white);
    auto* frame = new QGroupBox("Frame", &form);
    auto* label = new QLabel("Label", frame);
    auto* box = new QLineEdit(frame);
    box->setPalette(white);
    EXPECT_FALSE(ApplySkin(&form, dir.path()));
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(Qt::white));

    std::filesystem::create_directories(dir / "x");
    std::ofstream(dir / "x" / "o.cjs") << "QPushButton { border-radius: 4px; }";
    EXPECT_TRUE(ApplySkin(&form, dir.path()));
    EXPECT_EQ(form.palette().color(QPalette::Window), systemFaceColor());
    EXPECT_EQ(frame->palette().color(QPalette::Window), systemFaceColor());
    EXPECT_EQ(label->palette().color(QPalette::Window), systemFaceColor());
    EXPECT_EQ(box->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_FALSE(form.styleSheet().isEmpty());
}

TEST(DisplayHelpers, SystemColorsWithoutAnySkin) {
    QWidget form;
    auto* label = new QLabel("x", &form);
    ApplySystemColors(&form);
    EXPECT_EQ(label->palette().color(QPalette::Window), systemFaceColor());
}

TEST(DisplayHelpers, TwipsBecomeLogicalPixels) {
    EXPECT_EQ(twips(8040), 536);
    EXPECT_EQ(twipsRect(120, 120, 7800, 1410), QRect(8, 8, 520, 94));
}

TEST(CursorFile, TheBuiltHandPointerLoadsWithItsHotspot) {
    const QCursor c = loadCursorFile(std::string(VTS_APP_DIR) + "/HAND-M.CUR");
    EXPECT_EQ(c.hotSpot(), QPoint(6, 0));
    EXPECT_EQ(c.pixmap().width(), 32);
    test::TempDir dir;
    std::ofstream(dir / "bad.cur") << "not a cursor";
    EXPECT_THROW(loadCursorFile((dir / "bad.cur").string()), std::exception);
}

}  // namespace
}  // namespace vts
