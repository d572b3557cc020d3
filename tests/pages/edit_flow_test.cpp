// The user's whole road on copies of real tables: folder page, table list, grid, edits, close,
// and the edited table back in the Paradox folder.
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/support/fixture_copy.h"
#include "app/program.h"
#include "pages/form2.h"
#include "pages/form3.h"
#include "platform/pdx/family.h"
#include "platform/pdx/reader.h"
#include "platform/pdx/writer.h"
#include "platform/ui/settings_store.h"
#include "tests/support/temp_dir.h"

namespace vts {
namespace {

namespace fs = std::filesystem;

void copyFamily(const fs::path& from, const fs::path& to, const std::string& base) {
    for (const auto& e : fs::directory_iterator(from))
        if (e.path().stem() == base) vts::test::copyWritable(e.path(), to / e.path().filename());
}

std::string fileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The table as written back, whatever letter case its file name keeps.
std::vector<pdx::Record> readAll(const fs::path& p) {
    pdx::TableReader reader(pdx::findTable(p.parent_path(), p.stem().string()).value_or(p));
    std::vector<pdx::Record> rows;
    pdx::Record r;
    while (reader.next(r)) rows.push_back(r);
    return rows;
}

struct Rig {
    test::TempDir dir;
    fs::path data = dir / "data";
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    SettingsStore settings{QString::fromStdString((dir / "settings.ini").string())};
    int ended = 0;
    std::unique_ptr<Program> program;

    Rig() {
        fs::create_directories(dir / "app");
        fs::create_directories(data);
        copyFamily(fs::path(VTS_FIXTURES) / "db", data, "CUSTOMER");
        copyFamily(fs::path(VTS_FIXTURES) / "db", data, "ORDERS");
        program = std::make_unique<Program>(ProgramServices{dialogs, launcher, settings, dir / "app", [this] { ++ended; }});
        program->start();
    }
    Form2& form2() { return *program->pages().form2(); }
    Form3& form3() { return *program->pages().form3(); }

    void openTable(const std::string& name) {
        Form2& f2 = form2();
        for (int i = 0; i < f2.ListView1->topLevelItemCount(); ++i)
            if (f2.ListView1->topLevelItem(i)->text(0).toStdString() == name) {
                f2.ListView1->clearSelection();
                f2.ListView1->topLevelItem(i)->setSelected(true);
            }
        f2.PushButton3_Click();
    }
    int column(const std::string& caption) {
        auto* m = form3().DataGrid1->gridModel();
        for (int c = 0; c < m->columnCount(); ++c)
            if (m->caption(c) == caption) return c;
        ADD_FAILURE() << "no column " << caption;
        return 0;
    }
    // The view's open editor, if any.
    QWidget* openEditor() {
        for (QWidget* w : form3().DataGrid1->viewport()->findChildren<QWidget*>())
            if ((qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)) && w->isVisible()) return w;
        return nullptr;
    }
    // Types into the view's own editor and presses Enter (Ctrl+Enter in a memo).
    void editCell(int row, const std::string& caption, const QString& text) {
        DataGridView* view = form3().DataGrid1;
        const QModelIndex index = view->model()->index(row, column(caption));
        view->setCurrentIndex(index);
        view->edit(index);
        QWidget* editor = openEditor();
        ASSERT_NE(editor, nullptr);
        if (auto* memo = qobject_cast<QPlainTextEdit*>(editor)) {
            memo->setPlainText(text);
            QTest::keyClick(memo, Qt::Key_Return, Qt::ControlModifier);
        } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setText(text);
            QTest::keyClick(line, Qt::Key_Return);
        } else {
            FAIL() << "unexpected editor";
        }
    }
    std::string shown(int row, const std::string& caption) {
        return form3().DataGrid1->gridModel()->displayText(row, column(caption));
    }
};

TEST(EditFlow, EditsReachTheParadoxTableWhenTheGridEditorCloses) {
    Rig rig;
    rig.program->form1().Text1->setText(QString::fromStdString(rig.data.string()));
    rig.program->form1().PushButton3_Click();
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
    ASSERT_EQ(f3.DataGrid1->model()->rowCount(), 20);
    const std::string firstCustNo = rig.shown(0, "CustNo");

    rig.editCell(0, "FirstName", "Zoë");
    rig.editCell(0, "Comments", "line one\nline two");
    rig.editCell(1, "DateEntered", "2021-08-31");
    rig.editCell(2, "City", "");
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
    EXPECT_TRUE(pdx::isNull(rows[2][5]));
    const auto day = std::get<pdx::Date>(rows[1][9]).day;
    EXPECT_EQ(day, 738033);  // 2021-08-31
    EXPECT_EQ(std::to_string(std::get<std::int64_t>(rows[0][0])), firstCustNo);
}

TEST(EditFlow, BackThenClosingTheChooserWritesNothing) {
    Rig rig;
    rig.program->form1().Text1->setText(QString::fromStdString(rig.data.string()));
    rig.program->form1().PushButton3_Click();
    const std::string before = fileBytes(rig.data / "CUSTOMER.DB");
    rig.openTable("CUSTOMER");
    rig.editCell(0, "FirstName", "Changed");
    rig.form3().PushButton1_Click();
    EXPECT_TRUE(rig.form2().isVisible());
    EXPECT_FALSE(rig.form3().isVisible());
    rig.form2().close();
    EXPECT_EQ(rig.ended, 1);
    EXPECT_EQ(fileBytes(rig.data / "CUSTOMER.DB"), before);
}

TEST(EditFlow, BackAndAnotherTableWritesOnlyThatTable) {
    Rig rig;
    rig.program->form1().Text1->setText(QString::fromStdString(rig.data.string()));
    rig.program->form1().PushButton3_Click();
    const std::string customer = fileBytes(rig.data / "CUSTOMER.DB");
    rig.openTable("CUSTOMER");
    rig.editCell(0, "FirstName", "Changed");
    rig.form3().PushButton1_Click();
    rig.openTable("ORDERS");
    EXPECT_EQ(rig.form3().Label2->text(), " Now Editing: ORDERS");
    rig.editCell(0, "Amount Paid", "123.45");
    rig.form3().close();
    EXPECT_EQ(rig.ended, 1);
    EXPECT_EQ(fileBytes(rig.data / "CUSTOMER.DB"), customer);
    const auto rows = readAll(rig.data / "ORDERS.db");
    ASSERT_EQ(rows.size(), 224u);
    EXPECT_DOUBLE_EQ(std::get<double>(rows[0][6]), 123.45);
}

TEST(EditFlow, AFailedWriteBackKeepsThePageOpenAndTheNextCloseSucceeds) {
    Rig rig;
    rig.program->form1().Text1->setText(QString::fromStdString(rig.data.string()));
    rig.program->form1().PushButton3_Click();
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
    rig.program->form1().Text1->setText(QString::fromStdString(rig.data.string()));
    rig.program->form1().PushButton3_Click();
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
    const std::string before = fileBytes(rig.data / "NOTES.db");
    rig.program->form1().Text1->setText(QString::fromStdString(rig.data.string()));
    rig.program->form1().PushButton3_Click();
    rig.openTable("NOTES");
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.dialogs.messages[0].text.find("Form2.PushButton3_Click at line 110"), std::string::npos)
        << rig.dialogs.messages[0].text;
    EXPECT_TRUE(rig.form2().isVisible());
    EXPECT_FALSE(rig.program->pages().form3() && rig.form3().isVisible());
    rig.form2().close();
    EXPECT_EQ(rig.ended, 1);
    EXPECT_EQ(fileBytes(rig.data / "NOTES.db"), before);
}

}  // namespace
}  // namespace vts
