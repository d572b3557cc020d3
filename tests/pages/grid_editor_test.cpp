// The grid editor as a user meets it: what is typed is kept whatever ends the edit, the grid
// grows with its window, and the editing keys of a spreadsheet-like grid.
#include <QComboBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QTimer>

#include "app/display_helpers.h"
#include "export/export_context.h"
#include "export/text_export_menu.h"
#include "pages/grid_model.h"
#include "platform/pdx/read/secondary_index.h"
#include "tests/pages/page_rig.h"

namespace vts {
namespace {

using namespace test;

// Sends a real mouse click to the middle of a cell.
void clickCell(DataGridView* view, const QModelIndex& index) {
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    QApplication::processEvents();
}

TEST(GridEditor, AValueTypedWithoutEnterIsSavedBeforeAnExportAndBeforeTheClose) {
    PageRig rig;
    std::string seenByExporter, tableName;
    rig.exporters.mnuCSV = [&](ExportContext& ec) {
        seenByExporter = rig.shown(0, "Street");
        tableName = ec.tableName;  // what a printed job is titled with
    };
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    Form3& f3 = rig.form3();

    // "Save Results As": the exporter reads the grid with the value in it.
    rig.typeInto(0, "Street", "For export");
    f3.runMenuItem("CSV");
    EXPECT_EQ(seenByExporter, "For export");
    EXPECT_EQ(tableName, "CUSTOMER");
    EXPECT_EQ(rig.openEditor(), nullptr);

    // The close, driven by code as a session's end would be: no focus change helps here.
    rig.typeInto(2, "Street", "Before close");
    f3.close();
    ASSERT_EQ(rig.ended, 1);
    const auto rows = readAll(rig.data / "CUSTOMER.db");
    EXPECT_EQ(std::get<std::string>(rows[0][4]), "For export");
    EXPECT_EQ(std::get<std::string>(rows[2][4]), "Before close");
}

TEST(GridEditor, AValueTypedWithoutEnterIsSavedBeforeBack) {
    PageRig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    rig.typeInto(1, "Street", "Before Back");
    rig.form3().PushButton1_Click();
    EXPECT_TRUE(rig.form2().isVisible());
    EXPECT_EQ(rig.shown(1, "Street"), "Before Back");
    EXPECT_EQ(rig.openEditor(), nullptr);
}

// Tab and Shift+Tab keep what was typed and move on, as in every grid.
TEST(GridEditor, TabAndShiftTabCommitAndMove) {
    PageRig rig;
    rig.openInData("CUSTOMER");
    DataGridView* view = rig.form3().DataGrid1;
    const int street = rig.column("Street");
    QTest::keyClick(rig.typeInto(0, "Street", "Xone"), Qt::Key_Tab);
    EXPECT_EQ(view->currentIndex(), view->model()->index(0, street + 1));
    QTest::keyClick(rig.typeInto(1, "Street", "Ytwo"), Qt::Key_Backtab);
    EXPECT_EQ(view->currentIndex(), view->model()->index(1, street - 1));
    if (QWidget* editor = rig.openEditor()) QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(rig.shown(0, "Street"), "Xone");
    EXPECT_EQ(rig.shown(1, "Street"), "Ytwo");
}

TEST(GridEditor, ARefusedValueKeepsItsEditorOpenUntilEscapeGivesItUp) {
    PageRig rig;
    int exported = 0;
    rig.exporters.mnuCSV = [&](ExportContext&) { ++exported; };
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    Form3& f3 = rig.form3();
    DataGridView* view = f3.DataGrid1;
    const std::string before = rig.shown(3, "DateEntered");

    // A click on another cell does not drop what was typed.
    QWidget* editor = rig.typeInto(3, "DateEntered", "2021-02-30");
    clickCell(view, rig.cell(5, "Street"));
    EXPECT_EQ(rig.openEditor(), editor);
    EXPECT_EQ(view->currentIndex(), rig.cell(3, "DateEntered"));
    EXPECT_FALSE(view->lastRefusal().empty());
    EXPECT_EQ(rig.shown(3, "DateEntered"), before);

    // Close, Back and Save As stop at it; nothing is written, the page stays.
    f3.close();
    f3.PushButton1_Click();
    f3.runMenuItem("CSV");
    EXPECT_EQ(rig.ended, 0);
    EXPECT_EQ(exported, 0);
    EXPECT_TRUE(f3.isVisible());
    EXPECT_EQ(rig.openEditor(), editor);
    EXPECT_TRUE(rig.dialogs.messages.empty());

    // Escape gives the value up; then the close writes the table back.
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(rig.openEditor(), nullptr);
    EXPECT_EQ(rig.shown(3, "DateEntered"), before);
    f3.close();
    EXPECT_EQ(rig.ended, 1);
}

TEST(GridEditor, EscapeCancelsAnEditAndDeleteClearsTheSelectedEditableCells) {
    PageRig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    DataGridView* view = rig.form3().DataGrid1;
    const std::string street = rig.shown(0, "Street");

    QWidget* editor = rig.typeInto(0, "Street", "Not wanted");
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(rig.shown(0, "Street"), street);

    // Two cells of one row and one of the next, picked with Ctrl as in a spreadsheet.
    view->selectionModel()->clear();
    view->selectionModel()->select(rig.cell(0, "Street"), QItemSelectionModel::Select);
    view->selectionModel()->select(rig.cell(0, "FirstName"), QItemSelectionModel::Select);
    view->selectionModel()->select(rig.cell(1, "Street"), QItemSelectionModel::Select);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(rig.openEditor(), nullptr);
    EXPECT_EQ(rig.shown(0, "Street"), "");
    EXPECT_EQ(rig.shown(0, "FirstName"), "");
    EXPECT_EQ(rig.shown(1, "Street"), "");
    EXPECT_NE(rig.shown(2, "Street"), "");
    rig.form3().close();
    ASSERT_EQ(rig.ended, 1);
    const auto rows = readAll(rig.data / "CUSTOMER.db");
    EXPECT_TRUE(pdx::isNull(rows[0][4]));
    EXPECT_TRUE(pdx::isNull(rows[0][1]));
    EXPECT_TRUE(pdx::isNull(rows[1][4]));
    EXPECT_FALSE(pdx::isNull(rows[2][4]));
}

TEST(GridEditor, DeleteLeavesBinaryCellsAloneAndTheyTellWhyOnHover) {
    PageRig rig(false);
    copyFamily(fixtures() / "fields", "graphic", rig.data);
    const auto before = readAll(rig.data / "graphic.db");
    rig.chooseFolder(rig.data);
    rig.openTable("GRAPHIC");
    DataGridView* view = rig.form3().DataGrid1;
    const QModelIndex picture = rig.cell(0, "Graphic");
    EXPECT_FALSE(view->model()->flags(picture) & Qt::ItemIsEditable);
    EXPECT_NE(view->model()->data(picture, Qt::ToolTipRole).toString().indexOf("cannot be edited"), -1);
    EXPECT_FALSE(view->model()->data(rig.cell(0, "Type"), Qt::ToolTipRole).isValid());

    view->selectionModel()->select(picture, QItemSelectionModel::ClearAndSelect);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_NE(rig.shown(0, "Graphic"), "");
    rig.form3().close();
    ASSERT_EQ(rig.ended, 1);
    const auto after = readAll(rig.data / "graphic.db");
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[0][1], before[0][1]);
}

TEST(GridEditor, TheTrueFalseListIsWideEnoughToRead) {
    PageRig rig(false);
    copyFamily(fixtures() / "fields", "logical", rig.data);
    rig.chooseFolder(rig.data);
    rig.openTable("LOGICAL");
    DataGridView* view = rig.form3().DataGrid1;
    view->setColumnWidth(0, 12);  // a column narrowed by the user
    const QModelIndex index = rig.cell(0, "BOOL");
    view->setCurrentIndex(index);
    view->edit(index);
    auto* box = qobject_cast<QComboBox*>(rig.openEditor());
    ASSERT_NE(box, nullptr);
    EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance("False"));
    QTest::keyClick(box, Qt::Key_Escape);
}

// The export walks every row of the real grid in order, whatever the user scrolled to, and
// leaves the view where it was.
TEST(GridEditor, AnExportReadsEveryRowAndLeavesTheViewAlone) {
    PageRig rig;
    rig.exporters.mnuCSV = [](ExportContext& ec) { mnuCSV_Click(ec); };
    rig.chooseFolder(rig.data);
    rig.openTable("ORDERS");
    DataGridView* view = rig.form3().DataGrid1;
    rig.editCell(150, "Amount Paid", "9.25");
    view->scrollTo(rig.cell(100, "Order No"));
    view->setCurrentIndex(rig.cell(100, "Order No"));
    const int scrolled = view->verticalScrollBar()->value();
    rig.dialogs.saveNames = {(rig.dir / "orders.csv").string()};
    rig.form3().runMenuItem("CSV");
    ASSERT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0].text;
    EXPECT_EQ(view->verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(view->currentIndex(), rig.cell(100, "Order No"));

    std::istringstream csv(readFile(rig.dir / "orders.csv"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(csv, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 226u);  // the captions, 224 rows, and the file's closing line end
    EXPECT_EQ(lines.back(), "\r");
    for (int r = 0; r < 224; ++r)
        EXPECT_EQ(lines[static_cast<size_t>(r) + 1].substr(0, lines[static_cast<size_t>(r) + 1].find(',')),
                  "\"" + rig.shown(r, "Order No") + "\"")
            << r;
    EXPECT_NE(lines[151].find("\"9.25\""), std::string::npos) << lines[151];
}

// The design size, and the window's client size beyond it.
struct Layout {
    QRect grid, hint, saveAs, back;
    explicit Layout(Form3& f)
        : grid(f.DataGrid1->geometry()),
          hint(f.Label1->geometry()),
          saveAs(f.PushButton6->geometry()),
          back(f.PushButton1->geometry()) {}
};

TEST(GridEditor, TheGridTakesWhatTheWindowGrowsByAndTheSizeIsKeptForTheNextShowing) {
    PageRig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    Form3& f3 = rig.form3();
    const QSize design = f3.size();
    const Layout atDesign(f3);
    EXPECT_EQ(atDesign.grid, twipsRect(120, 480, 5655, 1360));
    EXPECT_EQ(atDesign.back, twipsRect(120, 2790, 5655, 405));

    f3.resize(design + QSize(400, 300));
    const Layout grown(f3);
    EXPECT_EQ(grown.grid, atDesign.grid.adjusted(0, 0, 400, 300));
    for (auto [now, then] :
         {std::pair{grown.hint, atDesign.hint}, {grown.saveAs, atDesign.saveAs}, {grown.back, atDesign.back}}) {
        EXPECT_EQ(now.top(), then.top() + 300);  // same distance to the bottom edge
        EXPECT_EQ(now.width(), then.width() + 400);
    }
    EXPECT_GT(rig.form3().DataGrid1->VisibleRows(), 3);

    // Smaller than the design: the controls keep their design places.
    f3.resize(design - QSize(50, 50));
    EXPECT_EQ(Layout(f3).grid, atDesign.grid);

    f3.resize(design + QSize(400, 300));
    f3.PushButton1_Click();
    rig.openTable("ORDERS");
    EXPECT_EQ(rig.form3().size(), design + QSize(400, 300));
    EXPECT_EQ(Layout(rig.form3()).grid, grown.grid);
}

TEST(GridEditor, MaximizedTheGridFillsTheScreen) {
    PageRig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    Form3& f3 = rig.form3();
    f3.showMaximized();
    QApplication::processEvents();
    ASSERT_GT(f3.width(), twips(5865));
    EXPECT_EQ(f3.DataGrid1->width(), twips(5655) + f3.width() - twips(5865));
    EXPECT_EQ(f3.height() - f3.PushButton1->geometry().bottom(),
              twips(3330) - twipsRect(120, 2790, 5655, 405).bottom());
}

}  // namespace
}  // namespace vts

namespace vts {
namespace {

using namespace test;

// Under ANSII850, whose collation is not known, key and indexed text are edited; the write-back
// places what every collation the table's order allows agrees on, and refuses the rest with the
// edits kept.
TEST(GridEditor, KeyAndIndexedTextUnderAnUnprovenSortOrderAreWrittenWhereTheyCanBePlaced) {
    PageRig rig;
    copyFamily(fixtures() / "db", "HERCULES", rig.data);
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    ASSERT_TRUE(rig.cell(0, "City").flags() & Qt::ItemIsEditable);
    rig.editCell(0, "City", QString::fromUtf8("\u00C4rlingen"));  // with the A cities, or after them all
    rig.form3().close();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.dialogs.messages[0].text.find("either way round"), std::string::npos) << rig.dialogs.messages[0].text;
    rig.dialogs.messages.clear();
    rig.editCell(0, "City", QString::fromUtf8("Z\u00FCrich"));  // after every city, however they are ordered
    rig.form3().close();
    ASSERT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0].text;
    EXPECT_EQ(readAll(rig.data / "CUSTOMER.DB")[0][5], pdx::Value(std::string("Z\u00FCrich")));
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    // The autoincrement key: the table's to number, never typed.
    EXPECT_FALSE(rig.cell(0, "CustNo").flags() & Qt::ItemIsEditable);
    EXPECT_NE(rig.cell(0, "CustNo").data(Qt::ToolTipRole).toString().toStdString().find("numbers this field itself"),
              std::string::npos);

    rig.form3().close();
    rig.chooseFolder(rig.data);
    rig.openTable("HERCULES");
    EXPECT_TRUE(rig.cell(0, "TEMPLATE").flags() & Qt::ItemIsEditable);
}

// A case-blind index under a byte order ("ste" on State) places plain text itself: the column is
// editable, and the index written back holds the edited value in its place.
TEST(GridEditor, TextOfACaseBlindIndexUnderAByteOrderIsEditedAndIndexed) {
    PageRig rig(false);
    copyFamily(fixtures() / "db", "AREACODES", rig.data);
    rig.chooseFolder(rig.data);
    rig.openTable("AREACODES");
    ASSERT_TRUE(rig.cell(0, "State").flags() & Qt::ItemIsEditable);
    rig.editCell(0, "State", "zz");
    rig.form3().close();
    EXPECT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0].text;
    const auto indexes = pdx::readSecondaryIndexes(rig.data / "AREACODES.DB");
    ASSERT_EQ(indexes.size(), 1u);
    const auto entries = pdx::readIndexEntries(indexes[0]);
    ASSERT_EQ(entries.size(), 370u);
    EXPECT_EQ(std::string(entries.back().values.begin(), entries.back().values.begin() + 2), "ZZ")
        << "folded, zz sorts after every other state";
}

}  // namespace
}  // namespace vts

namespace vts {
namespace {

using namespace test;

// Currency shows two decimals (and is edited as stored); cells that cannot be changed look greyed.
TEST(GridEditor, CurrencyShowsTwoDecimalsAndReadOnlyCellsLookIt) {
    PageRig rig;
    rig.openInData("ORDERS");
    rig.editCell(0, "Amount Paid", "77.5");
    const QModelIndex paid = rig.cell(0, "Amount Paid");
    EXPECT_EQ(paid.data(Qt::DisplayRole).toString(), "77.50");
    EXPECT_EQ(paid.data(Qt::EditRole).toString(), "77.5");
    EXPECT_FALSE(paid.data(Qt::ForegroundRole).isValid());
    rig.form3().close();
    rig.openInData("CUSTOMER");
    const QModelIndex number = rig.cell(0, "CustNo");  // numbered by the table
    ASSERT_FALSE(number.flags() & Qt::ItemIsEditable);
    EXPECT_EQ(number.data(Qt::ForegroundRole).value<QColor>(),
              QApplication::palette().color(QPalette::Disabled, QPalette::Text));
}

}  // namespace
}  // namespace vts

namespace vts {
namespace {

using namespace test;

// The grid page opens at the size its user left it, never below its design size.
TEST(GridEditor, ThePageOpensAtTheSizeItsUserLeftIt) {
    PageRig rig;
    rig.openInData("ORDERS");
    const QSize design = rig.form3().size();
    for (const QSize left : {design + QSize(300, 200), QSize(100, 80)}) {
        rig.form3().resize(left);
        rig.form3().PushButton1_Click();  // Back hides the page
        rig.start();                      // the next run
        rig.openInData("ORDERS");
        EXPECT_EQ(rig.form3().size(), left.expandedTo(design));
    }
}

}  // namespace
}  // namespace vts
