#include "platform/ui/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "fsutil/folder_picker.h"

namespace vts {

namespace {

QWidget* owner() { return QApplication::activeWindow(); }

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

int QtDialogs::messageBox(const std::string& text, int style, const std::string& caption) {
    QMessageBox box(owner());
    // Message texts use CR LF and bare CR as line breaks.
    QString body = q(text);
    body.replace("\r\n", "\n").replace('\r', '\n');
    box.setText(body);
    box.setWindowTitle(q(caption));
    box.setIcon((style & 0x70) == mb::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    if ((style & 7) == mb::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? mb::Yes : mb::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return mb::Ok;
}

std::string QtDialogs::browseForFolder(const std::string& prompt, const std::string& initialFolder) {
    QString chosen = QFileDialog::getExistingDirectory(owner(), q(prompt), q(initialFolder),
                                                       QFileDialog::ShowDirsOnly);
    return normaliseChosenFolder(chosen.toStdString());
}

std::string QtDialogs::saveFileName(const std::string& title, const std::string& filter,
                                    const std::string& initialName) {
    return QFileDialog::getSaveFileName(owner(), q(title), q(initialName), qtFilterFromPipes(filter))
        .toStdString();
}

QString qtFilterFromPipes(const std::string& filter) {
    const QStringList parts = q(filter).split('|');
    QStringList names;
    for (int i = 0; i < parts.size(); i += 2) names << parts[i];
    return names.join(";;");
}

}  // namespace vts
