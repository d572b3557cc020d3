// The whole program on copies of real tables, driven through its pages as a user would: the
// folder page, the table list, the grid, its editors and the close.
#pragma once
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <fstream>
#include <memory>
#include <sstream>

#include <gtest/gtest.h>

#include "app/program.h"
#include "pages/form2.h"
#include "pages/form3.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/read/reader.h"
#include "platform/ui/settings_store.h"
#include "tests/support/file_contents.h"
#include "tests/support/fixture_copy.h"
#include "tests/support/fixtures.h"
#include "tests/support/temp_dir.h"

namespace vts::test {

namespace fs = std::filesystem;

// The table as written back, whatever letter case its file name keeps.
inline std::vector<pdx::Record> readAll(const fs::path& p) {
    pdx::TableReader reader(pdx::findTable(p.parent_path(), p.stem().string()).value_or(p));
    std::vector<pdx::Record> rows;
    pdx::Record r;
    while (reader.next(r)) rows.push_back(r);
    return rows;
}

struct PageRig {
    TempDir dir;
    fs::path data = dir / "data";
    fs::path app = dir / "app";  // another rig's: a second window of the same user
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    SettingsStore settings{QString::fromStdString((dir / "settings.ini").string())};
    int ended = 0;
    Form3Services exporters;
    std::function<bool(AppContext&)> checkPdfPrinter = [](AppContext&) { return false; };
    std::function<void()> yieldToUi = [] {};  // what the user does while long work runs
    std::unique_ptr<Program> program;

    // The Paradox folder holds CUSTOMER and ORDERS unless told otherwise.
    explicit PageRig(bool withTables = true) {
        fs::create_directories(dir / "app");
        fs::create_directories(data);
        if (withTables) {
            copyFamily(fixtures() / "db", "CUSTOMER", data);
            copyFamily(fixtures() / "db", "ORDERS", data);
        }
    }
    // A program run on the same application folder (and so the same working database).
    void start(const std::string& opened = {}) {
        program.reset();
        program = std::make_unique<Program>(ProgramServices{dialogs, launcher, settings, app, [this] { ++ended; },
                                                            [this] { yieldToUi(); }, exporters, checkPdfPrinter});
        program->start(opened);
    }
    Form1& form1() { return program->form1(); }
    Form2& form2() { return *program->pages().form2(); }
    Form3& form3() { return *program->pages().form3(); }

    // The folder page's Next with this folder typed in.
    void chooseFolder(const fs::path& folder) {
        if (!program) start();
        form1().Text1->setText(QString::fromStdString(folder.string()));
        form1().PushButton3_Click();
    }
    // The chooser's items as shown.
    std::vector<std::string> listed() {
        std::vector<std::string> names;
        for (int i = 0; i < form2().ListView1->topLevelItemCount(); ++i)
            names.push_back(form2().ListView1->topLevelItem(i)->text(0).toStdString());
        return names;
    }
    // The folder page on the rig's data folder, then the table's grid.
    void openInData(const std::string& name) {
        chooseFolder(data);
        openTable(name);
    }
    // Selects the n-th item (0-based) of that name and presses Next.
    void openTable(const std::string& name, int nth = 0) {
        Form2& f2 = form2();
        for (int i = 0; i < f2.ListView1->topLevelItemCount(); ++i)
            if (ListViewTables::nameOf(f2.ListView1->topLevelItem(i)) == name && nth-- == 0) {
                f2.ListView1->clearSelection();
                f2.ListView1->topLevelItem(i)->setSelected(true);
                break;
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
    QModelIndex cell(int row, const std::string& caption) {
        return form3().DataGrid1->model()->index(row, column(caption));
    }
    // The view's open editor, if any.
    QWidget* openEditor() {
        for (QWidget* w : form3().DataGrid1->viewport()->findChildren<QWidget*>())
            if ((qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) || w->inherits("QComboBox")) &&
                w->isVisible())
                return w;
        return nullptr;
    }
    // Opens the cell's editor and types the text into it, without confirming it.
    QWidget* typeInto(int row, const std::string& caption, const QString& text) {
        DataGridView* view = form3().DataGrid1;
        const QModelIndex index = cell(row, caption);
        view->setCurrentIndex(index);
        view->edit(index);
        QWidget* editor = openEditor();
        if (auto* memo = qobject_cast<QPlainTextEdit*>(editor)) memo->setPlainText(text);
        else if (auto* line = qobject_cast<QLineEdit*>(editor)) line->setText(text);
        else ADD_FAILURE() << "no text editor opened";
        return editor;
    }
    // Types into the view's own editor and presses Enter (Ctrl+Enter in a memo).
    void editCell(int row, const std::string& caption, const QString& text) {
        QWidget* editor = typeInto(row, caption, text);
        if (!editor) return;
        const bool memo = qobject_cast<QPlainTextEdit*>(editor) != nullptr;
        QTest::keyClick(editor, Qt::Key_Return, memo ? Qt::ControlModifier : Qt::NoModifier);
    }
    std::string shown(int row, const std::string& caption) {
        return form3().DataGrid1->gridModel()->displayText(row, column(caption));
    }
};

}  // namespace vts::test
