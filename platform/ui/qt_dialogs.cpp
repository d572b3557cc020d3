#include "platform/ui/qt_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QGridLayout>
#include <QMessageBox>
#include <QStringList>

#include "fsutil/folder_picker.h"

namespace vts {

namespace {

QWidget* owner() { return QApplication::activeWindow(); }

QString q(const std::string& s) { return QString::fromStdString(s); }

QMessageBox::Icon iconOf(int style) {
    switch (style & 0x70) {
        case mb::Exclamation: return QMessageBox::Warning;
        case mb::Question: return QMessageBox::Question;
        case mb::Information: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

// A message box sizes itself to its text; a short text would leave the window manager too
// little room for the caption, which it then cuts. The box is made wide enough for it.
void fitCaption(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int wanted = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kCaptionDecoration;
    grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

// The hourglass of a page at work is not the pointer for answering a message.
class ArrowWhileShown {
public:
    ArrowWhileShown() : active_(QApplication::overrideCursor() != nullptr) {
        if (active_) QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowWhileShown() {
        if (active_) QApplication::restoreOverrideCursor();
    }
    ArrowWhileShown(const ArrowWhileShown&) = delete;
    ArrowWhileShown& operator=(const ArrowWhileShown&) = delete;

private:
    bool active_;
};

// The text, caption and icon every message box starts from.
void prepare(QMessageBox& box, const std::string& text, int style, const std::string& caption) {
    // Message texts use CR LF and bare CR as line breaks.
    QString body = q(text);
    body.replace("\r\n", "\n").replace('\r', '\n');
    box.setText(body);
    box.setWindowTitle(q(caption));
    box.setIcon(iconOf(style));
}

}  // namespace

int QtDialogs::messageBox(const std::string& text, int style, const std::string& caption) {
    QMessageBox box(owner());
    prepare(box, text, style, caption);
    fitCaption(box);
    ArrowWhileShown arrow;
    if ((style & 7) == mb::YesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        box.setDefaultButton((style & mb::DefaultButton2) ? QMessageBox::No : QMessageBox::Yes);
        const int chosen = box.exec();
        return chosen == QMessageBox::Yes ? mb::Yes : chosen == QMessageBox::No ? mb::No : mb::Cancel;
    }
    if ((style & 7) == mb::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? mb::Yes : mb::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return mb::Ok;
}

int QtDialogs::messageBoxWithOptOut(const std::string& text, int style, const std::string& caption, bool& optOut) {
    QMessageBox box(owner());
    prepare(box, text, style, caption);
    auto* never = new QCheckBox("Do not show this again", &box);
    never->setChecked(optOut);
    box.setCheckBox(never);
    fitCaption(box);
    ArrowWhileShown arrow;
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    optOut = never->isChecked();
    return mb::Ok;
}

std::string QtDialogs::browseForFolder(const std::string& prompt, const std::string& initialFolder) {
    QString chosen = QFileDialog::getExistingDirectory(owner(), q(prompt), q(initialFolder), QFileDialog::ShowDirsOnly);
    return normaliseChosenFolder(chosen.toStdString());
}

std::string QtDialogs::saveFileName(const std::string& title, const std::string& filter,
                                    const std::string& initialName) {
    return QFileDialog::getSaveFileName(owner(), q(title), q(initialName), qtFilterFromPipes(filter)).toStdString();
}

std::optional<std::string> QtDialogs::askPassword(const std::string& prompt, const std::string& caption) {
    bool ok = false;
    ArrowWhileShown arrow;
    const QString typed = QInputDialog::getText(owner(), q(caption), q(prompt), QLineEdit::Password, {}, &ok);
    if (!ok) return std::nullopt;
    return typed.toStdString();
}

QString qtFilterFromPipes(const std::string& filter) {
    const QStringList parts = q(filter).split('|');
    QStringList names;
    for (int i = 0; i < parts.size(); i += 2) names << parts[i];
    return names.join(";;");
}

}  // namespace vts
