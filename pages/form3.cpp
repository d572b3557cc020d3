#include "pages/form3.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QHeaderView>

#include "app/display_helpers.h"
#include "app/program_icon.h"
#include "bridge/paradox.h"
#include "pages/busy_scope.h"
#include "pages/long_work_progress.h"
#include "platform/shell/error_trap.h"
#include "platform/ui/cursor_file.h"

namespace vts {

Form3::Form3(AppContext& ctx, PageState& state, Form3Services services)
    : CommonDialog1(ctx.dialogs), ctx_(ctx), state_(state), services_(std::move(services)), pointer_(this) {
    buildControls();
    buildMenu();
}

void Form3::buildControls() {
    setObjectName("Form3");
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    resize(twips(5865), twips(3330));
    setFont(arial(9, true));
    paintWhite(this);

    Label2 = new QLabel(" Table: ", this);
    Label2->setObjectName("Label2");
    Label2->setGeometry(twipsRect(240, 120, 4215, 255));
    DataGrid1 = new DataGridView(this);
    DataGrid1->setGeometry(twipsRect(120, 480, 5655, 1360));
    DataGrid1->setFont(arial(9, true));
    DataGrid1->setErrorReporter([this](const std::string& text) { ctx_.message(text, mb::OkOnly | mb::Exclamation); });
    Label1 = new QLabel("Table changes you make are saved as you type", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(twipsRect(120, 1920, 5535, 255));
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, QColor(192, 0, 0));
    Label1->setPalette(red);
    PushButton6 = pointer_.addButton(this, "PushButton6", "Save Results As", twipsRect(135, 2280, 5640, 405));
    PushButton1 = pointer_.addButton(this, "PushButton1", "< Back", twipsRect(120, 2790, 5655, 405));
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                       static_cast<QWidget*>(DataGrid1->viewport())})
        pointer_.watchBackground(w);
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
    connect(PushButton6, &QPushButton::clicked, this, [this] { PushButton6_Click(); });
}

void Form3::buildMenu() {
    mnuSaveAs = new QMenu("Save As", this);
    mnuSaveAs->setObjectName("mnuSaveAs");
    for (const char* caption : {"TXT", "XLS", "CSV", "PDF", "XML"}) {
        QAction* item = mnuSaveAs->addAction(caption);
        item->setObjectName(QString("mnu") + caption);
        connect(item, &QAction::triggered, this, [this, caption] { runMenuItem(caption); });
    }
}

ExportContext Form3::exportContext() { return ExportContext{ctx_, *DataGrid1, CommonDialog1, pointer_}; }

void Form3::runMenuItem(const QString& caption) {
    const std::function<void(ExportContext&)>* item = caption == "TXT"   ? &services_.mnuTXT
                                                      : caption == "XLS" ? &services_.mnuXLS
                                                      : caption == "CSV" ? &services_.mnuCSV
                                                      : caption == "PDF" ? &services_.mnuPDF
                                                      : caption == "XML" ? &services_.mnuXML
                                                                         : nullptr;
    if (!item || !*item || busy_) return;
    BusyScope busy(busy_, {PushButton1, PushButton6});
    LongWorkProgress progress(this, "Saving the rows...");
    ExportContext ec = exportContext();
    ec.progress = [&](long done, long total) { progress.update(done, total); };
    (*item)(ec);
}

void Form3::Form_Load() {
    ErrorTrap trap(ctx_.dialogs, errorTag("Form3", "Form_Load"));
    trap.step(100, [&] { ApplySystemColors(this); });
    trap.step(102, [&] { setWindowIcon(programIcon()); });
    const std::string cursorFile = (ctx_.appFolder / "HAND-M.CUR").string();
    bool hasCursor = false;
    trap.step(106, [&] { hasCursor = PathExists(cursorFile); });
    if (hasCursor) trap.step(108, [&] { pointer_.setCustomCursor(loadCursorFile(cursorFile)); });
    trap.step(110, [&] { setWindowTitle(kProductName); });
    trap.step(112, [&] { state_.writeBackDone = false; });
}

void Form3::PushButton1_Click() {
    ErrorTrap trap(ctx_.dialogs, errorTag("Form3", "PushButton1_Click"));
    trap.step(100, [&] { services_.showForm2(); });
    trap.step(102, [&] { hide(); });
}

void Form3::PushButton6_Click() {
    ErrorTrap trap(ctx_.dialogs, errorTag("Form3", "PushButton6_Click"));
    trap.step(106, [&] { mnuSaveAs->exec(QCursor::pos()); });
}

bool Form3::Form_QueryUnload() {
    if (busy_) return false;
    BusyScope busy(busy_, {PushButton1, PushButton6});
    ErrorTrap trap(ctx_.dialogs, errorTag("Form3", "Form_QueryUnload"));
    bool cancel = false;
    if (!state_.writeBackDone) {
        trap.step(102, [&] { cancel = true; });
        trap.step(104, [&] {
            HourglassScope hourglass(pointer_);
            LongWorkProgress progress(this, "Writing the table " + QString::fromStdString(state_.currentTableName) +
                                                " back...");
            WriteBackHooks hooks{[this] { DataGrid1->setDataSource(nullptr); },
                                 [this] { state_.writeBackDone = true; }};
            hooks.progress = [&](long done, long total) { progress.update(done, total); };
            SaveTableToParadox(ctx_, state_.currentTableName, hooks);
        });
    }
    trap.step(106, [&] { QApplication::processEvents(); });
    trap.step(108, [&] { QApplication::processEvents(); });
    return !cancel;
}

void Form3::closeEvent(QCloseEvent* e) {
    if (!Form_QueryUnload()) {
        e->ignore();
        return;
    }
    e->accept();
    ctx_.endProgram();
}

}  // namespace vts
