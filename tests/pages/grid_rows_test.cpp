// Rows added at the grid's last row and deleted after a question, as they reach the Paradox
// table; keys the table would refuse are refused at the row's commit.
#include <QAction>

#include "bridge/paradox.h"
#include "platform/pdx/format/value_text.h"
#include "pages/grid_model.h"
#include "tests/pages/page_rig.h"

namespace vts {
namespace {

using namespace test;

// Leaves the new row for the first row, as a click there would.
void leaveNewRow(PageRig& rig) {
    rig.form3().DataGrid1->setCurrentIndex(rig.cell(0, rig.form3().DataGrid1->gridModel()->caption(1)));
    QApplication::processEvents();
}

TEST(GridRows, ARowTypedIntoTheLastRowIsAddedWhenLeftAndWrittenBack) {
    PageRig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    GridModel* model = rig.form3().DataGrid1->gridModel();
    ASSERT_EQ(model->dataRows(), 20);
    EXPECT_EQ(model->rowCount(), 21);
    EXPECT_EQ(model->headerData(20, Qt::Vertical, Qt::DisplayRole).toString(), "*");

    rig.editCell(20, "FirstName", "Ada");
    rig.editCell(20, "LastName", "Lovelace");
    rig.editCell(20, "DateEntered", "2024-03-01");
    rig.editCell(20, "City", "Atlantis");
    EXPECT_EQ(model->dataRows(), 20) << "the row is added when it is left";
    EXPECT_EQ(rig.shown(20, "LastName"), "Lovelace");
    leaveNewRow(rig);
    ASSERT_EQ(model->dataRows(), 21);
    // Numbered after the table's counter (44): numbers of deleted records are never given again.
    EXPECT_EQ(rig.shown(20, "CustNo"), "45");
    EXPECT_EQ(rig.shown(21, "FirstName"), "");
    EXPECT_EQ(model->headerData(20, Qt::Vertical, Qt::DisplayRole).toInt(), 21);
    EXPECT_TRUE(rig.dialogs.messages.empty());

    // The unsaved-edits mark: going back and opening the table again asks first (No keeps it).
    rig.form3().PushButton1_Click();
    rig.openTable("CUSTOMER");
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.dialogs.messages[0].text.find("not yet saved"), std::string::npos);
    rig.form2().hide();
    rig.form3().show();

    // A row typed and not left is added before the close.
    rig.editCell(21, "City", "Los Gatos");
    rig.typeInto(21, "FirstName", "Grace");
    rig.form3().close();
    ASSERT_EQ(rig.ended, 1);
    const auto rows = readAll(rig.data / "CUSTOMER.db");
    ASSERT_EQ(rows.size(), 22u);
    EXPECT_EQ(rows[20][0], pdx::Value(std::int64_t{45}));
    EXPECT_EQ(rows[20][1], pdx::Value(std::string("Ada")));
    EXPECT_EQ(rows[20][2], pdx::Value(std::string("Lovelace")));
    EXPECT_EQ(pdx::toText(rows[20][9]), "2024-03-01");
    EXPECT_EQ(rows[20][5], pdx::Value(std::string("Atlantis")));
    EXPECT_EQ(rows[21][1], pdx::Value(std::string("Grace")));
    EXPECT_EQ(rows[21][0], pdx::Value(std::int64_t{46}));
}

TEST(GridRows, CtrlDeleteAndTheMenuDeleteTheSelectedRowsOnlyAfterYes) {
    PageRig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    DataGridView* view = rig.form3().DataGrid1;
    view->selectionModel()->clear();
    view->selectionModel()->select(rig.cell(1, "Street"), QItemSelectionModel::Select);
    view->selectionModel()->select(rig.cell(3, "City"), QItemSelectionModel::Select);
    view->selectionModel()->select(rig.cell(3, "Street"), QItemSelectionModel::Select);
    view->setFocus();

    QTest::keyClick(view, Qt::Key_Delete, Qt::ControlModifier);  // answered No
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "Delete the 2 selected rows from the table?");
    EXPECT_EQ(rig.dialogs.messages[0].style, mb::YesNo | mb::Question);
    EXPECT_NE(rig.dialogs.messages[0].caption.find("Verdalith"), std::string::npos);  // the application title
    EXPECT_EQ(view->gridModel()->dataRows(), 20);
    EXPECT_EQ(rig.shown(1, "CustNo"), "2");

    rig.dialogs.answers = {mb::Yes};
    QAction* item = view->rowMenu()->findChild<QAction*>("mnuDeleteRows");
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->text().startsWith("Delete Rows"));
    item->trigger();
    EXPECT_EQ(rig.dialogs.messages.size(), 2u);
    ASSERT_EQ(view->gridModel()->dataRows(), 18);
    EXPECT_EQ(rig.shown(1, "CustNo"), "3");
    EXPECT_EQ(rig.shown(2, "CustNo"), "5");
    rig.form3().close();
    ASSERT_EQ(rig.ended, 1);
    const auto rows = readAll(rig.data / "CUSTOMER.db");
    ASSERT_EQ(rows.size(), 18u);
    EXPECT_EQ(rows[1][0], pdx::Value(std::int64_t{3}));
    EXPECT_EQ(rows[2][0], pdx::Value(std::int64_t{5}));
}

TEST(GridRows, AnEmptyOrRepeatedKeyIsRefusedWithItsReasonAndEscapeGivesTheRowUp) {
    PageRig rig(false);
    copyFamily(fixtures() / "db", "AREACODE", rig.data);
    rig.chooseFolder(rig.data);
    rig.openTable("AREACODE");
    DataGridView* view = rig.form3().DataGrid1;
    GridModel* model = view->gridModel();
    const int added = model->dataRows();

    rig.editCell(added, "Country", "Atlantis");
    leaveNewRow(rig);
    EXPECT_EQ(model->dataRows(), added);
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.dialogs.messages[0].text.find("needs a value in \"Area Code\""), std::string::npos)
        << rig.dialogs.messages[0].text;
    EXPECT_EQ(view->currentIndex().row(), added);  // back at the new row, on the field at fault
    EXPECT_EQ(view->currentIndex().column(), rig.column("Area Code"));
    EXPECT_EQ(rig.shown(added, "Country"), "Atlantis");

    rig.editCell(added, "Area Code", "202");
    EXPECT_FALSE(view->commitOpenEditor());  // as the close, Back and Save As do
    ASSERT_EQ(rig.dialogs.messages.size(), 2u);
    EXPECT_NE(rig.dialogs.messages[1].text.find("already has the key 202"), std::string::npos)
        << rig.dialogs.messages[1].text;
    rig.form3().close();
    EXPECT_EQ(rig.ended, 0);
    EXPECT_EQ(model->dataRows(), added);

    // Escape outside the editor gives the new row up; the close then writes the table unchanged.
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(rig.shown(added, "Country"), "");
    rig.form3().close();
    ASSERT_EQ(rig.ended, 1);
    EXPECT_EQ(readAll(rig.data / "AREACODE.DB").size(), static_cast<size_t>(added));
}

TEST(GridRows, ARowWithANewKeyIsWrittenInKeyOrderAndTheValidityFileStays) {
    PageRig rig(false);
    copyFamily(fixtures() / "db", "AREACODE", rig.data);
    const std::string val = readFile(rig.data / "AREACODE.VAL");
    rig.chooseFolder(rig.data);
    rig.openTable("AREACODE");
    const int added = rig.form3().DataGrid1->gridModel()->dataRows();
    rig.editCell(added, "Area Code", "000");
    rig.editCell(added, "Country", "Atlantis");
    rig.form3().close();
    ASSERT_EQ(rig.ended, 1);
    ASSERT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0].text;
    const auto rows = readAll(rig.data / "AREACODE.DB");
    ASSERT_EQ(rows.size(), static_cast<size_t>(added) + 1);
    EXPECT_EQ(rows[0][0], pdx::Value(std::string("000")));
    EXPECT_EQ(rows[0][1], pdx::Value(std::string("Atlantis")));
    EXPECT_EQ(readFile(rig.data / "AREACODE.VAL"), val);
}

// Under ANSII850 a new key goes where every collation the table's keys allow puts it; one they
// put in different places is refused when the table is written back, the row kept for a change.
TEST(GridRows, ANewKeyIsWrittenWhereItsPlaceIsCertain) {
    PageRig rig(false);
    copyFamily(fixtures() / "db", "HERCULES", rig.data);
    const auto before = readAll(rig.data / "HERCULES.DB");
    rig.chooseFolder(rig.data);
    rig.openTable("HERCULES");
    DataGridView* view = rig.form3().DataGrid1;
    const int added = view->gridModel()->dataRows();
    rig.editCell(added, "TEMPLATE", QString::fromUtf8("\u00C4RGER"));
    rig.editCell(added, "HTML", "<p>new</p>");
    leaveNewRow(rig);
    ASSERT_EQ(view->gridModel()->dataRows(), added + 1);
    rig.form3().close();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.dialogs.messages[0].text.find("either way round"), std::string::npos) << rig.dialogs.messages[0].text;
    EXPECT_EQ(readAll(rig.data / "HERCULES.DB"), before);
    rig.dialogs.messages.clear();
    rig.editCell(added, "TEMPLATE", "ZZ_NEW");
    rig.form3().close();
    ASSERT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0].text;
    const auto after = readAll(rig.data / "HERCULES.DB");
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after.back()[0], pdx::Value(std::string("ZZ_NEW")));
}

}  // namespace
}  // namespace vts
