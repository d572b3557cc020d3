#include "app/display_helpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>
#include <system_error>

namespace vts {

bool PathExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    (void)std::filesystem::last_write_time(path, ec);
    return !ec;
}

std::string SetAppTitle(const std::string& productName) {
    std::string title = productName;
    do {
        const auto blank = title.rfind(' ');
        if (blank == std::string::npos) break;
        title.erase(blank);
    } while (title.size() > 40);
    return title;
}

QColor systemFaceColor() { return QApplication::palette().color(QPalette::Button); }

namespace {

void setBackColor(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

bool takesFaceColor(QWidget* w) {
    return qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w) || qobject_cast<QRadioButton*>(w) ||
           qobject_cast<QCheckBox*>(w);
}

}  // namespace

void ApplySystemColors(QWidget* window) {
    const QColor face = systemFaceColor();
    setBackColor(window, face);
    for (QWidget* child : window->findChildren<QWidget*>())
        if (takesFaceColor(child)) setBackColor(child, face);
}

bool ApplySkin(QWidget* form1, const std::filesystem::path& appFolder) {
    QFile skin(QString::fromStdString((appFolder / "x" / "o.cjs").string()));
    if (!skin.exists()) return false;
    ApplySystemColors(form1);
    if (skin.open(QIODevice::ReadOnly | QIODevice::Text)) form1->setStyleSheet(QString::fromUtf8(skin.readAll()));
    return true;
}

int twips(int value) { return (value + 7) / 15; }

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

QFont arial(double points, bool bold) {
    QFont f("Arial");
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

void makeFixedPage(QWidget* window, QSize clientSize) {
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    window->setFixedSize(clientSize);
}

void paintWhite(QWidget* window) {
    QPalette white = window->palette();
    white.setColor(QPalette::Window, Qt::white);
    window->setPalette(white);
    window->setAutoFillBackground(true);
}

}  // namespace vts
