// Walks the real program through its three pages on the current display and saves a picture of
// the screen at each page (used under Xvfb for the README).
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <iostream>

#include "app/program.h"
#include "pages/form2.h"
#include "pages/form3.h"
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

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::cerr << "usage: screenshots APP_DIR OUT_DIR\n";
        return 2;
    }
    const std::string appDir = argv[1];
    const QString out = argv[2];
    QTemporaryDir home;
    QtDialogs dialogs;
    QtLauncher launcher;
    SettingsStore settings(home.filePath("settings.ini"));
    Program program(ProgramServices{dialogs, launcher, settings, appDir, [] {}});
    program.start();
    program.form1().Text1->setText(QString::fromStdString(appDir + "/Samples"));
    shoot(out + "/form1.png");
    program.form1().PushButton3_Click();
    Form2& f2 = *program.pages().form2();
    f2.ListView1->clearSelection();
    for (int i = 0; i < f2.ListView1->topLevelItemCount(); ++i)
        if (f2.ListView1->topLevelItem(i)->text(0) == "CUSTOMER") f2.ListView1->topLevelItem(i)->setSelected(true);
    shoot(out + "/form2.png");
    f2.PushButton3_Click();
    shoot(out + "/form3.png");
    return 0;
}
