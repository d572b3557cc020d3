// Ctrl+Z in the grid: each change of the session is taken back, last first, one user action
// at a time, so that the table written back is the one imported.
#include "pages/grid_model.h"
#include "tests/pages/page_rig.h"

namespace vts {
namespace {

using namespace test;

void undo(DataGridView* view) {
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
}

TEST(GridUndo, EditsEmptiedCellsDeletedAndAddedRowsAreUndoneLastFirst) {
    PageRig rig;
    const auto original = readAll(fixtures() / "db" / "CUSTOMER.DB");
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    DataGridView* view = rig.form3().DataGrid1;
    GridModel* model = view->gridModel();
    const std::string street0 = rig.shown(0, "Street"), street1 = rig.shown(1, "Street");

    rig.editCell(0, "Street", "First edit");
    view->selectionModel()->clear();
    view->selectionModel()->select(rig.cell(0, "Street"), QItemSelectionModel::Select);
    view->selectionModel()->select(rig.cell(1, "Street"), QItemSelectionModel::Select);
    QTest::keyClick(view, Qt::Key_Delete);
    view->setCurrentIndex(rig.cell(2, "CustNo"));
    rig.dialogs.answers = {mb::Yes};
    QTest::keyClick(view, Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(model->dataRows(), 19);
    rig.editCell(19, "FirstName", "Added");
    rig.editCell(19, "City", "Santa Cruz");
    view->setCurrentIndex(rig.cell(0, "FirstName"));
    ASSERT_EQ(model->dataRows(), 20);
    EXPECT_EQ(rig.shown(19, "FirstName"), "Added");

    rig.editCell(20, "FirstName", "Not yet added");
    undo(view);  // a new row still being typed is given up first
    EXPECT_EQ(rig.shown(20, "FirstName"), "");
    ASSERT_EQ(model->dataRows(), 20);
    undo(view);  // the added row
    EXPECT_EQ(model->dataRows(), 19);
    EXPECT_EQ(rig.shown(19, "FirstName"), "");
    undo(view);  // the deleted row, back in its place
    ASSERT_EQ(model->dataRows(), 20);
    EXPECT_EQ(rig.shown(2, "CustNo"), "3");
    EXPECT_EQ(rig.shown(3, "CustNo"), "4");
    undo(view);  // both emptied cells at once
    EXPECT_EQ(rig.shown(0, "Street"), "First edit");
    EXPECT_EQ(rig.shown(1, "Street"), street1);
    undo(view);
    EXPECT_EQ(rig.shown(0, "Street"), street0);
    EXPECT_FALSE(model->canUndo());
    undo(view);                                  // nothing left: nothing happens
    EXPECT_EQ(rig.dialogs.messages.size(), 1u);  // the deletion's question only

    rig.form3().close();
    ASSERT_EQ(rig.ended, 1);
    EXPECT_EQ(readAll(rig.data / "CUSTOMER.db"), original);
}

TEST(GridUndo, AnAutoincrementNumberOnceGivenIsNotGivenAgain) {
    PageRig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    DataGridView* view = rig.form3().DataGrid1;
    for (const char* name : {"First", "Second"}) {
        rig.editCell(view->gridModel()->dataRows(), "City", "Santa Cruz");
        rig.editCell(view->gridModel()->dataRows(), "FirstName", name);
        ASSERT_TRUE(view->commitOpenEditor());
    }
    EXPECT_EQ(rig.shown(20, "CustNo"), "45");  // after the table's counter, 44
    EXPECT_EQ(rig.shown(21, "CustNo"), "46");
    undo(view);
    undo(view);
    rig.editCell(20, "FirstName", "Third");
    rig.editCell(20, "City", "Santa Cruz");
    ASSERT_TRUE(view->commitOpenEditor());
    EXPECT_EQ(rig.shown(20, "CustNo"), "47");
}

TEST(GridUndo, AnEditInsideTheCellEditorIsNotUndoneByTheGrid) {
    PageRig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    DataGridView* view = rig.form3().DataGrid1;
    rig.editCell(0, "Street", "Kept");
    QWidget* editor = rig.typeInto(1, "Street", "Typing");
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);  // the line's own undo
    EXPECT_EQ(rig.shown(0, "Street"), "Kept");
    EXPECT_TRUE(view->gridModel()->canUndo());
    QTest::keyClick(editor, Qt::Key_Escape);
}

}  // namespace
}  // namespace vts
