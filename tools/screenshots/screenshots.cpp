// Walks the real program through its three pages on the current display and saves a picture of
// the screen at each page (used under Xvfb for the README).
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QAbstractButton>
#include <QDialog>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <filesystem>
#include <iostream>

#include "app/program.h"
#include "export/printer_check.h"
#include "platform/print/memory_printers.h"
#include "pages/form2.h"
#include "pages/find_bar.h"
#include "pages/form3.h"
#include "pages/grid_model.h"
#include "platform/pdx/protect/password_key.h"
#include "platform/pdx/read/reader.h"
#include "platform/pdx/write/writer.h"
#include "platform/ui/qt_dialogs.h"
#include "platform/ui/qt_launcher.h"
#include "platform/ui/settings_store.h"

using namespace vts;

namespace {

void settle() {
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(25);
    }
}

void shoot(const QString& file) {
    settle();
    QApplication::primaryScreen()->grabWindow(0).save(file);
    std::cout << file.toStdString() << "\n";
}

// The table copied, password-protected, into folder as `name`.
void writeProtectedCopy(const std::string& table, const std::string& folder, const std::string& name) {
    pdx::TableReader source(table);
    pdx::WriterOptions options;
    options.key = pdx::keyFromPassword("secret");
    pdx::TableWriter copy(folder, name, source.info().schema, options);
    for (pdx::Record r; source.next(r);) copy.append(r);
    copy.finish();
    copy.install();
}

// A generated ledger of `rows` records, large enough for its copy to take a while.
void writeLedger(const std::string& folder, int rows) {
    pdx::Schema schema;
    schema.fields = {{"Entry", pdx::FieldType::Long, 4},
                     {"Account", pdx::FieldType::Alpha, 24},
                     {"Booked", pdx::FieldType::Date, 4},
                     {"Amount", pdx::FieldType::Number, 8}};
    pdx::TableWriter writer(folder, "LEDGER", schema);
    for (int i = 0; i < rows; ++i)
        writer.append({std::int64_t{i + 1}, "Account " + std::to_string(1000 + i % 97), pdx::Date{737800 + i % 900},
                       (i % 1000) * 1.25});
    writer.finish();
    writer.install();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::cerr << "usage: screenshots APP_DIR OUT_DIR\n";
        return 2;
    }
    const QString out = argv[2];
    QTemporaryDir home;
    // A fresh copy of the program's folder: its working database starts without edits.
    const std::string appDir = home.filePath("app").toStdString();
    std::filesystem::copy(argv[1], appDir, std::filesystem::copy_options::recursive);
    std::filesystem::remove(appDir + "/dbTemp.mdb");
    QtDialogs dialogs;
    QtLauncher launcher;
    SettingsStore settings(home.filePath("settings.ini"));
    // No PDF printer on this display's machine as far as the program knows: the notice at start.
    MemoryPrinterSystem noPrinters;
    ProgramServices services{dialogs, launcher, settings, appDir, [] {}};
    services.checkPdfPrinter = [&](AppContext& ctx) { return CheckPdfPrinter(ctx, noPrinters); };
    Program program(services);
    QTimer::singleShot(300, [&] {
        shoot(out + "/pdf-printer-notice.png");
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Ok)->click();
    });
    program.start();
    program.form1().Text1->setText(QString::fromStdString(appDir + "/Samples"));
    shoot(out + "/form1.png");
    // Last year's customers in a subfolder: two tables of one name, told apart by their folders.
    const std::filesystem::path samples = appDir + "/Samples";
    std::filesystem::create_directory(samples / "2019");
    for (const auto& f : std::filesystem::directory_iterator(samples))
        if (f.path().stem() == "CUSTOMER") std::filesystem::copy_file(f.path(), samples / "2019" / f.path().filename());
    program.form1().PushButton3_Click();
    Form2& f2 = *program.pages().form2();
    f2.chooseTable("CUSTOMER");
    shoot(out + "/form2.png");
    f2.PushButton3_Click();
    Form3& f3 = *program.pages().form3();
    shoot(out + "/form3.png");

    // Maximized; without a window manager (Xvfb) the window is given the screen itself.
    f3.showMaximized();
    settle();
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    if (f3.size() != screen.size()) {
        f3.showNormal();
        f3.setGeometry(screen);
    }
    shoot(out + "/form3-maximized.png");
    std::cout << "grid editor: " << f3.width() << " x " << f3.height() << "\n";
    f3.showNormal();
    settle();

    // The editing beyond the cells: sorted by a heading, a text found, a row being added.
    GridModel* grid = f3.DataGrid1->gridModel();
    int city = 0;
    for (int c = 0; c < grid->columnCount(); ++c)
        if (grid->caption(c) == "City") city = c;
    f3.DataGrid1->sortByHeading(city);
    settle();
    shoot(out + "/grid-sorted.png");
    f3.DataGrid1->sortByHeading(city);
    f3.DataGrid1->sortByHeading(city);  // back to the table's own order
    f3.FindBar1->open();
    f3.FindBar1->text->setText("books");
    f3.FindBar1->findNext(true);
    settle();
    shoot(out + "/grid-find.png");
    f3.FindBar1->dismiss();
    const QModelIndex added = grid->index(grid->rowCount() - 1, 1);
    f3.DataGrid1->scrollToBottom();
    f3.DataGrid1->setCurrentIndex(added);
    f3.DataGrid1->edit(added);
    settle();
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : f3.DataGrid1->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible()) editor = e;
    if (editor) editor->setText("Lantern Cartography");
    settle();
    shoot(out + "/grid-new-row.png");
    if (editor) QTest::keyClick(editor, Qt::Key_Escape);
    grid->discardNewRow();
    settle();

    // An edit, "< Back" and Next again: the question before the edits would be discarded. Yes
    // discards them, and "< Back" returns to the chooser with nothing left to ask about.
    grid->setData(grid->index(0, 5), "Edited", Qt::EditRole);
    f3.PushButton1_Click();
    QTimer::singleShot(300, [&] {
        shoot(out + "/discard-question.png");
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Yes)->click();
    });
    f2.PushButton3_Click();
    f3.PushButton1_Click();

    // A password-protected table, chosen from another folder: the password question.
    const std::string locked = home.filePath("locked").toStdString();
    std::filesystem::create_directories(locked);
    writeProtectedCopy(appDir + "/Samples/CUSTOMER.db", locked, "SECRET");
    f2.PushButton2_Click();
    program.form1().Text1->setText(QString::fromStdString(locked));
    program.form1().PushButton3_Click();
    f2.ListView1->clearSelection();
    f2.ListView1->topLevelItem(0)->setSelected(true);
    QTimer::singleShot(300, [&] {
        shoot(out + "/password-question.png");
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
    });
    f2.PushButton3_Click();

    // A large table: the grid opens on its first rows while the rest are copied.
    const std::string big = home.filePath("ledger").toStdString();
    std::filesystem::create_directories(big);
    writeLedger(big, 600000);
    f2.PushButton2_Click();
    program.form1().Text1->setText(QString::fromStdString(big));
    program.form1().PushButton3_Click();
    f2.chooseTable("LEDGER");
    f2.PushButton3_Click();
    settle();
    settle();
    shoot(out + "/grid-copying.png");
    while (program.state().importTail) settle();
    return 0;
}
