// The user's whole road on copies of real tables: folder page, table list, grid, edits, close,
// and the edited table back in the Paradox folder.
#include "tests/pages/page_rig.h"
#include "platform/pdx/write/writer.h"

namespace vts {
namespace {

using namespace test;
using Rig = PageRig;

TEST(EditFlow, EditsReachTheParadoxTableWhenTheGridEditorCloses) {
    Rig rig;
    rig.chooseFolder(rig.data);
    Form2& f2 = rig.form2();
    ASSERT_TRUE(f2.isVisible());
    EXPECT_FALSE(rig.program->form1().isVisible());
    ASSERT_EQ(f2.ListView1->topLevelItemCount(), 2);
    EXPECT_EQ(f2.selectedIndex(), 1);
    EXPECT_EQ(f2.ListView1->headerItem()->text(0), "Which table do you want edit?");

    rig.openTable("CUSTOMER");
    Form3& f3 = rig.form3();
    ASSERT_TRUE(f3.isVisible());
    EXPECT_FALSE(f2.isVisible());
    EXPECT_EQ(f3.Label2->text(), " Now Editing: CUSTOMER");
    ASSERT_EQ(f3.DataGrid1->gridModel()->dataRows(), 20);
    const std::string firstCustNo = rig.shown(0, "CustNo");

    rig.editCell(0, "FirstName", "Zoë");
    rig.editCell(0, "Comments", "line one\nline two");
    rig.editCell(1, "DateEntered", "2021-08-31");
    rig.editCell(2, "Street", "");
    const std::string beforeBadDate = rig.shown(3, "DateEntered");
    rig.editCell(3, "DateEntered", "2021-02-30");  // refused: the editor stays open
    QWidget* stillOpen = rig.openEditor();
    ASSERT_NE(stillOpen, nullptr);
    QTest::keyClick(stillOpen, Qt::Key_Escape);
    EXPECT_EQ(rig.shown(3, "DateEntered"), beforeBadDate);
    EXPECT_EQ(rig.shown(0, "FirstName"), "Zoë");

    f3.close();
    EXPECT_EQ(rig.ended, 1);
    EXPECT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0].text;
    const auto rows = readAll(rig.data / "CUSTOMER.db");
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(std::get<std::string>(rows[0][1]), "Zoë");
    EXPECT_EQ(std::get<std::string>(rows[0][8]), "line one\nline two");
    EXPECT_TRUE(pdx::isNull(rows[2][4]));
    const auto day = std::get<pdx::Date>(rows[1][9]).day;
    EXPECT_EQ(day, 738033);  // 2021-08-31
    EXPECT_EQ(std::to_string(std::get<std::int64_t>(rows[0][0])), firstCustNo);
}

TEST(EditFlow, BackThenClosingTheChooserAsksAndDiscardsOnlyOnNo) {
    Rig rig;
    rig.chooseFolder(rig.data);
    const std::string before = readFile(rig.data / "CUSTOMER.DB");
    rig.openTable("CUSTOMER");
    rig.editCell(0, "FirstName", "Changed");
    rig.form3().PushButton1_Click();
    EXPECT_TRUE(rig.form2().isVisible());
    EXPECT_FALSE(rig.form3().isVisible());
    rig.form2().close();  // unanswered (closed): stays
    EXPECT_EQ(rig.ended, 0);
    rig.dialogs.answers = {mb::No};
    rig.form2().close();
    EXPECT_EQ(rig.ended, 1);
    EXPECT_EQ(readFile(rig.data / "CUSTOMER.DB"), before);
}

TEST(EditFlow, BackAndAnotherTableWritesOnlyThatTable) {
    Rig rig;
    rig.chooseFolder(rig.data);
    const std::string customer = readFile(rig.data / "CUSTOMER.DB");
    rig.openTable("CUSTOMER");
    rig.editCell(0, "FirstName", "Changed");
    rig.form3().PushButton1_Click();
    rig.dialogs.answers = {mb::No};  // CUSTOMER's edits: discarded
    rig.openTable("ORDERS");
    EXPECT_EQ(rig.form3().Label2->text(), " Now Editing: ORDERS");
    rig.editCell(0, "Amount Paid", "123.45");
    rig.form3().close();
    EXPECT_EQ(rig.ended, 1);
    EXPECT_EQ(readFile(rig.data / "CUSTOMER.DB"), customer);
    const auto rows = readAll(rig.data / "ORDERS.db");
    ASSERT_EQ(rows.size(), 224u);
    EXPECT_DOUBLE_EQ(std::get<double>(rows[0][6]), 123.45);
}

TEST(EditFlow, AFailedWriteBackKeepsThePageOpenAndTheNextCloseSucceeds) {
    Rig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    rig.editCell(0, "FirstName", "Kept");
    const fs::path away = rig.dir / "away";
    fs::rename(rig.data, away);
    rig.form3().close();
    EXPECT_EQ(rig.ended, 0);
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.dialogs.messages[0].text.find("in Tabrevel2021/08/31.Form3.Form_QueryUnload at line 104"),
              std::string::npos)
        << rig.dialogs.messages[0].text;
    EXPECT_FALSE(rig.program->state().writeBackDone);

    fs::rename(away, rig.data);
    rig.form3().close();
    EXPECT_EQ(rig.ended, 1);
    EXPECT_EQ(std::get<std::string>(readAll(rig.data / "CUSTOMER.db")[0][1]), "Kept");
}

TEST(EditFlow, AnUntouchedMemoEditorKeepsTheMemoAsItIs) {
    Rig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    const QString memo = QString::fromUtf8("one\u00A0two\nthree");
    rig.editCell(0, "Comments", memo);  // a non-breaking space is not a blank
    // Opened and accepted without a change: nothing is written, the line ends stay.
    DataGridView* view = rig.form3().DataGrid1;
    const QModelIndex index = view->model()->index(0, rig.column("Comments"));
    view->setCurrentIndex(index);
    view->edit(index);
    QWidget* editor = rig.openEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
    rig.form3().close();
    ASSERT_EQ(rig.ended, 1);
    EXPECT_EQ(std::get<std::string>(readAll(rig.data / "CUSTOMER.db")[0][8]), memo.toStdString());
}

// The password check is a part of the import: a table it cannot read is reported under the
// import's label (labels are even and rise).
TEST(EditFlow, ATableThatCannotBeReadIsReportedAtTheImportsLabel) {
    Rig rig;
    std::ofstream(rig.data / "BROKEN.db") << "not a table";
    rig.chooseFolder(rig.data);
    rig.openTable("BROKEN");
    ASSERT_FALSE(rig.dialogs.messages.empty());
    EXPECT_NE(rig.dialogs.messages.back().text.find("Form2.PushButton3_Click at line 110"), std::string::npos)
        << rig.dialogs.messages.back().text;
}

TEST(EditFlow, AFailedImportOpensNoGridAndTheTableStaysAsItWas) {
    Rig rig;
    pdx::Schema schema;
    schema.fields = {{"N", pdx::FieldType::Long, 4}, {"Note", pdx::FieldType::Memo, 11}};
    {
        pdx::TableWriter writer(rig.data, "NOTES", schema);
        for (int i = 0; i < 200; ++i) writer.append({std::int64_t{i}, std::string(300, 'n')});
        writer.finish();
        writer.install();
    }
    fs::resize_file(rig.data / "NOTES.MB", fs::file_size(rig.data / "NOTES.MB") / 2);
    const std::string before = readFile(rig.data / "NOTES.db");
    rig.chooseFolder(rig.data);
    rig.openTable("NOTES");
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.dialogs.messages[0].text.find("Form2.PushButton3_Click at line 110"), std::string::npos)
        << rig.dialogs.messages[0].text;
    EXPECT_TRUE(rig.form2().isVisible());
    EXPECT_FALSE(rig.program->pages().form3() && rig.form3().isVisible());
    rig.form2().close();
    EXPECT_EQ(rig.ended, 1);
    EXPECT_EQ(readFile(rig.data / "NOTES.db"), before);
}

}  // namespace
}  // namespace vts
