#include "app/form1.h"

#include <QCloseEvent>
#include <QTimer>
#include <chrono>
#include <random>

#include "app/display_helpers.h"
#include "app/program_icon.h"
#include "platform/shell/data_folder.h"
#include "platform/shell/error_trap.h"
#include "platform/ui/cursor_file.h"
#include "platform/ui/settings_store.h"

namespace vts {

namespace {

int drawFromTimeOfDay() {
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    std::mt19937 rng(static_cast<unsigned>(duration_cast<milliseconds>(now).count() % 86400000));
    const double fraction = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
    return static_cast<int>(fraction * 100) + 1;
}

}  // namespace

Form1::Form1(AppContext& ctx, SettingsStore& settings, Form1Services services)
    : ctx_(ctx), settings_(settings), services_(std::move(services)), pointer_(this) {
    if (!services_.drawOneToHundred) services_.drawOneToHundred = drawFromTimeOfDay;
    buildControls();
}

void Form1::buildControls() {
    setObjectName("Form1");
    makeFixedPage(this, {twips(8040), twips(2160)});
    setFont(arial(9, false));
    paintWhite(this);

    Frame1 = new QGroupBox("Paradox Database", this);
    Frame1->setObjectName("Frame1");
    Frame1->setGeometry(twipsRect(120, 120, 7800, 1410));
    Frame1->setFont(arial(9, true));
    Label2 = new QLabel("Paradox Folder:", Frame1);
    Label2->setObjectName("Label2");
    Label2->setGeometry(twipsRect(240, 405, 1455, 255));
    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName("Text1");
    Text1->setGeometry(twipsRect(1680, 360, 5175, 345));
    PushButton5 = pointer_.addButton(Frame1, "PushButton5", "...", twipsRect(6960, 360, 570, 345));
    PushButton1 =
        pointer_.addButton(Frame1, "PushButton1", "Load Sample/Example Database", twipsRect(240, 840, 3600, 405));
    PushButton2 = pointer_.addButton(Frame1, "PushButton2", "Test Connection", twipsRect(3960, 840, 3600, 405));
    PushButton3 = pointer_.addButton(this, "PushButton3", "Next >", twipsRect(120, 1650, 7800, 405));
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(Frame1), static_cast<QWidget*>(Text1),
                       static_cast<QWidget*>(Label2)})
        pointer_.watchBackground(w);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Click(); });
    connect(PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Click(); });
    // Enter in the folder box is Next, as a dialog's default button would take it.
    connect(Text1, &QLineEdit::returnPressed, this, [this] { PushButton3_Click(); });
    // Every change of the box, typed or set by code, is the remembered folder at once.
    connect(Text1, &QLineEdit::textChanged, this,
            [this](const QString& text) { settings_.setDatabase(text.toStdString()); });
    Text1->installEventFilter(this);
}

std::string Form1::trapTag(const char* routine) const { return errorTag("Form1", routine); }

void Form1::showTableChooser(ErrorTrap& trap, int showLabel, int hideLabel) {
    trap.step(showLabel, [&] { services_.showForm2(); });
    trap.step(hideLabel, [&] {
        hide();
        if (loading_) hiddenAtLoad_ = true;
    });
}

void Form1::Form_Load() {
    ErrorTrap trap(ctx_.dialogs, trapTag("Form_Load"));
    loading_ = true;
    trap.step(100, [&] { ApplySkin(this, ctx_.appFolder); });
    trap.step(104, [&] {
        setWindowTitle(kProductName);
        setWindowIcon(programIcon());
        ctx_.appTitle = SetAppTitle();
    });
    trap.step(106, [&] {
        if (services_.drawOneToHundred() == 7) ctx_.launcher.openUrl(kMakerSite);
    });
    const std::string cursorFile = (ctx_.appFolder / "HAND-M.CUR").string();
    bool hasCursor = false;
    trap.step(124, [&] { hasCursor = PathExists(cursorFile); });
    if (hasCursor) trap.step(126, [&] { pointer_.setCustomCursor(loadCursorFile(cursorFile)); });
    trap.step(128, [&] { Text1->setText(QString::fromStdString(settings_.database())); });
    bool remembered = false;
    trap.step(130, [&] { remembered = PathExists(Text1->text().toStdString()); });
    if (remembered) showTableChooser(trap, 132, 134);
    trap.step(134, [&] { services_.checkPdfPrinter(); });
    loading_ = false;
}

void Form1::PushButton1_Click() {
    ErrorTrap trap(ctx_.dialogs, trapTag("PushButton1_Click"));
    trap.step(100, [&] {
        Text1->setText(QString::fromStdString(userSamplesFolder(ctx_.appFolder, ctx_.dataHome()).string()));
    });
    trap.step(102, [&] {
        bool sample = true;
        services_.copyDb(sample);
    });
}

void Form1::PushButton2_Click() {
    ErrorTrap trap(ctx_.dialogs, trapTag("PushButton2_Click"));
    trap.step(100, [&] {
        bool sample = false;
        services_.copyDb(sample);
    });
    trap.step(102, [&] { pointer_.setMousePointer(pointer::Hourglass); });
    // A test that failed with an error did not succeed: it reports "Could not connect." too.
    bool connected = false;
    trap.step(104, [&] { connected = services_.folderHasParadoxTables(); });
    if (connected) trap.step(106, [&] { ctx_.message("Connection successful.", mb::OkOnly); });
    else trap.step(108, [&] { ctx_.message("Could not connect.", mb::OkOnly); });
    trap.step(110, [&] { pointer_.setMousePointer(pointer::Default); });
}

void Form1::PushButton3_Click() {
    ErrorTrap trap(ctx_.dialogs, trapTag("PushButton3_Click"));
    trap.step(100, [&] {
        bool sample = false;
        services_.copyDb(sample);
    });
    bool exists = false;
    trap.step(102, [&] { exists = PathExists(Text1->text().toStdString()); });
    if (exists) showTableChooser(trap, 104, 106);
}

void Form1::PushButton5_Click() {
    ErrorTrap trap(ctx_.dialogs, trapTag("PushButton5_Click"));
    std::string folder;
    trap.step(100, [&] { folder = services_.browseForFolder("Please select folder:"); });
    if (folder.empty()) return;  // [102] cancelled
    trap.step(104, [&] { Text1->setText(QString::fromStdString(folder)); });
    trap.step(106, [&] {
        bool sample = false;
        services_.copyDb(sample);
    });
}

void Form1::closeEvent(QCloseEvent* e) {
    if (services_.mayClose && !services_.mayClose()) {
        e->ignore();
        return;
    }
    e->accept();
    ctx_.endProgram();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    // Selecting on focus must wait until the click that gave the focus has placed the caret.
    if (watched == Text1 && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, Text1, [this] { Text1->setSelection(0, static_cast<int>(Text1->text().size())); });
    return QWidget::eventFilter(watched, event);
}

}  // namespace vts
