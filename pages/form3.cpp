#include "pages/form3.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QHeaderView>
#include <QShortcut>
#include <algorithm>

#include "app/display_helpers.h"
#include "app/program_icon.h"
#include "bridge/paradox.h"
#include "pages/busy_scope.h"
#include "pages/long_work_progress.h"
#include "platform/shell/error_trap.h"
#include "platform/ui/cursor_file.h"

namespace vts {

namespace {

constexpr const char* kHintText = "Table changes you make are saved as you type";

// The design's client size and control places, in twips.
constexpr int kDesignWidth = 5865, kDesignHeight = 3330;
const QRect kGrid(120, 480, 5655, 1360), kHint(120, 1920, 5535, 255), kSaveAs(135, 2280, 5640, 405),
    kBack(120, 2790, 5655, 405);

QRect place(const QRect& design) { return twipsRect(design.x(), design.y(), design.width(), design.height()); }

}  // namespace

Form3::Form3(AppContext& ctx, PageState& state, Form3Services services)
    : CommonDialog1(ctx.dialogs), ctx_(ctx), state_(state), services_(std::move(services)), pointer_(this) {
    buildControls();
    buildMenu();
}

void Form3::buildControls() {
    setObjectName("Form3");
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    resize(twips(kDesignWidth), twips(kDesignHeight));
    if (services_.rememberedSize)  // never below the design size, where every control fits
        resize(size().expandedTo(services_.rememberedSize()));
    setFont(arial(9, true));
    paintWhite(this);

    Label2 = new QLabel(" Table: ", this);
    Label2->setObjectName("Label2");
    Label2->setGeometry(twipsRect(240, 120, 4215, 255));
    DataGrid1 = new DataGridView(this);
    DataGrid1->setGeometry(place(kGrid));
    DataGrid1->setFont(arial(9, true));
    DataGrid1->setErrorReporter([this](const std::string& text) { ctx_.message(text, mb::OkOnly | mb::Exclamation); });
    DataGrid1->setConfirmer(
        [this](const std::string& text) { return ctx_.message(text, mb::YesNo | mb::Question) == mb::Yes; });
    Label1 = new QLabel(kHintText, this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(place(kHint));
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, QColor(192, 0, 0));
    Label1->setPalette(red);
    FindBar1 = new FindBar(this, *DataGrid1);
    FindBar1->setGeometry(place(kHint));
    FindBar1->setAutoFillBackground(true);
    paintWhite(FindBar1);
    DataGrid1->setFindRequest([this] { FindBar1->open(); });
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] { FindBar1->open(); });
    PushButton6 = pointer_.addButton(this, "PushButton6", "Save Results As", place(kSaveAs));
    PushButton1 = pointer_.addButton(this, "PushButton1", "< Back", place(kBack));
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                       static_cast<QWidget*>(DataGrid1->viewport())})
        pointer_.watchBackground(w);
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
    connect(PushButton6, &QPushButton::clicked, this, [this] { PushButton6_Click(); });
    DataGrid1->setWholeTableGate([this] { return awaitImport(); });
    importTimer_.setInterval(500);  // each count of the rows reads the whole table
    connect(&importTimer_, &QTimer::timeout, this, [this] { showImportProgress(); });
}

// At the design size the controls sit where the design puts them. A larger window gives the grid
// the extra width and height; the hint line and the buttons keep their distance to the bottom.
void Form3::layoutControls() {
    const int dx = std::max(0, width() - twips(kDesignWidth));
    const int dy = std::max(0, height() - twips(kDesignHeight));
    DataGrid1->setGeometry(place(kGrid).adjusted(0, 0, dx, dy));
    for (auto [control, design] :
         {std::pair<QWidget*, QRect>{Label1, kHint}, {FindBar1, kHint}, {PushButton6, kSaveAs}, {PushButton1, kBack}})
        control->setGeometry(place(design).translated(0, dy).adjusted(0, 0, dx, 0));
}

void Form3::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    layoutControls();
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

ExportContext Form3::exportContext() {
    return ExportContext{ctx_, *DataGrid1, CommonDialog1, pointer_, {}, state_.currentTableName};
}

// The end of the copy is seen from the window's own loop, never inside the chooser's Next.
void Form3::followImport() {
    if (!state_.importTail) return;
    showImportProgress();
    importTimer_.start();
}

void Form3::showImportProgress() {
    if (busy_) return;  // a wait for the copy (or other long work) is under way and ends it itself
    const ImportTail* tail = state_.importTail.get();
    if (importTimer_.isActive() && (!tail || tail->finished())) {
        endImport();
        return;
    }
    if (!tail) return;
    try {
        if (DataGrid1->gridModel()) DataGrid1->gridModel()->followAddedRows(false);
    } catch (const std::exception&) {
        // The rows are counted again at the next look, and at the copy's end, which reports.
    }
    const long percent = tail->total() > 0 ? tail->rowsIn() * 100L / tail->total() : 0;
    Label2->setText(QString::fromStdString(" Now Editing: " + state_.currentTableName + " (copying, ") +
                    QString::number(percent) + "%)");
}

// Work that needs the whole table waits, with the import's progress, for its last row.
bool Form3::awaitImport() {
    if (!state_.importTail) return true;
    if (busy_) return false;
    {
        importTimer_.stop();
        BusyScope busy(busy_, {PushButton1, PushButton6});
        HourglassScope hourglass(pointer_);
        LongWorkProgress progress(this, "Copying the table " + QString::fromStdString(state_.currentTableName) + "...");
        state_.importTail->wait([&](long done, long total) { progress.update(done, total); }, ctx_.yieldToUi);
    }
    return endImport();
}

// The import has ended. Failed, it leaves a part of the table, which never replaces the table:
// the user is told, and the page stays open with the rows copied and the edits in them.
bool Form3::endImport() {
    importTimer_.stop();
    if (!state_.importTail) return true;
    const std::unique_ptr<ImportTail> tail = std::move(state_.importTail);
    Label2->setText(QString::fromStdString(" Now Editing: " + state_.currentTableName));
    std::string failure;
    try {
        tail->result();
    } catch (const std::exception& e) {
        failure = e.what();
    }
    ErrorTrap trap(ctx_.dialogs, errorTag("Form3", "endImport"));
    trap.step(100, [&] {
        if (DataGrid1->gridModel()) DataGrid1->gridModel()->followAddedRows(failure.empty());
    });
    if (failure.empty()) return true;
    ctx_.message("The table " + state_.currentTableName + " could not be copied completely: " + failure +
                     "\r\n\r\nThe rows copied so far are shown with your changes, but they cannot replace the "
                     "Paradox table, which stays as it was. When you close, you can save them as a new table.",
                 mb::OkOnly | mb::Exclamation);
    return false;
}

void Form3::runMenuItem(const QString& caption) {
    const std::function<void(ExportContext&)>* item = caption == "TXT"   ? &services_.mnuTXT
                                                      : caption == "XLS" ? &services_.mnuXLS
                                                      : caption == "CSV" ? &services_.mnuCSV
                                                      : caption == "PDF" ? &services_.mnuPDF
                                                      : caption == "XML" ? &services_.mnuXML
                                                                         : nullptr;
    if (!item || !*item || busy_ || !DataGrid1->commitOpenEditor() || !awaitImport()) return;
    BusyScope busy(busy_, {PushButton1, PushButton6});
    LongWorkProgress progress(this, "Saving the rows...");
    ExportContext ec = exportContext();
    ec.progress = [&](long done, long total) { progress.update(done, total); };
    (*item)(ec);
}

void Form3::noteChecksNotMade(const std::vector<std::string>& checks) {
    std::string all;
    for (const auto& c : checks) all += (all.empty() ? "" : "; ") + c;
    // Short enough for the hint line at the page's design size; the list is on hover.
    Label1->setText(checks.empty() ? kHintText : "Saved as you type; some table checks are not made here");
    Label1->setToolTip(checks.empty() ? QString() : QString::fromStdString("Not checked here: " + all + "."));
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
    // A refused value stays in its editor; the chooser may replace the table once it is whole.
    if (!DataGrid1->commitOpenEditor() || !awaitImport()) return;
    ErrorTrap trap(ctx_.dialogs, errorTag("Form3", "PushButton1_Click"));
    trap.step(100, [&] { services_.showForm2(); });
    trap.step(102, [&] { hide(); });
}

void Form3::PushButton6_Click() {
    if (!DataGrid1->commitOpenEditor()) return;
    ErrorTrap trap(ctx_.dialogs, errorTag("Form3", "PushButton6_Click"));
    trap.step(106, [&] { mnuSaveAs->exec(QCursor::pos()); });
}

bool Form3::Form_QueryUnload() {
    // What is typed is saved, also without Enter; a refused value keeps the page open.
    if (busy_ || !DataGrid1->commitOpenEditor() || !awaitImport()) return false;
    BusyScope busy(busy_, {PushButton1, PushButton6});
    ErrorTrap trap(ctx_.dialogs, errorTag("Form3", "Form_QueryUnload"));
    bool cancel = false;
    bool cutShort = false;
    if (!state_.writeBackDone) {
        trap.step(102, [&] {
            cancel = true;
            cutShort = state_.session && WorkingTableCutShort(ctx_, state_.session->working());
        });
        if (cutShort) trap.step(104, [&] { cancel = !settleCutShortTable(); });
        else
            trap.step(104, [&] {
                HourglassScope hourglass(pointer_);
                LongWorkProgress progress(
                    this, "Writing the table " + QString::fromStdString(state_.currentTableName) + " back...");
                WriteBackHooks hooks{[this] { DataGrid1->setDataSource(nullptr); },
                                     [this] {
                                         state_.writeBackDone = true;
                                         state_.session.reset();
                                     }};
                hooks.progress = [&](long done, long total) { progress.update(done, total); };
                try {
                    SaveTableToParadox(ctx_, state_.currentTableName, state_.currentTableFolder, hooks);
                } catch (const TableChanged& e) {
                    cancel = !settleChangedTable(e.what());
                }
            });
    }
    trap.step(106, [&] { QApplication::processEvents(); });
    trap.step(108, [&] { QApplication::processEvents(); });
    return !cancel;
}

// The table could not be copied whole, so its rows must not replace it: edits go under a new
// name, are discarded or kept for more editing, as the user chooses; a copy without edits is
// simply let go. True when the window may close.
bool Form3::settleCutShortTable() {
    const std::string& name = state_.currentTableName;
    if (WorkingTableHasUnsavedEdits(ctx_, state_.session->working()))
        return settleChangedTable("The table " + name +
                                  " could not be copied completely from the Paradox folder, so your changes "
                                  "cannot replace it: it stays as it was.");
    DataGrid1->setDataSource(nullptr);
    DiscardWorkingTable(ctx_, state_.session->working());
    state_.writeBackDone = true;
    state_.session.reset();
    ctx_.endProgram();
    return true;
}

// The Paradox table was saved by someone else meanwhile: the edits are written under another name,
// discarded, or kept for more editing, as the user chooses. True when the window may close.
bool Form3::settleChangedTable(const std::string& why) {
    const std::string& name = state_.currentTableName;
    const int answer = ctx_.message(why + "\r\n\r\nYes: save your table under a new name (" + name +
                                        "_2 or the next free one) in the same folder. No: discard your changes. "
                                        "Cancel: go on editing.",
                                    mb::YesNoCancel | mb::Exclamation);
    if (answer == mb::Cancel) return false;
    std::string saved;
    if (answer == mb::Yes) saved = WriteBackTableAsNew(ctx_, name, state_.currentTableFolder);  // a failure keeps all
    DataGrid1->setDataSource(nullptr);
    if (answer == mb::Yes) ctx_.message("Your table was saved as " + saved + " in the folder of " + name + ".");
    else DiscardWorkingTable(ctx_, WorkingTableName(state_.currentTableFolder, name));
    state_.writeBackDone = true;
    state_.session.reset();
    ctx_.endProgram();
    return true;
}

void Form3::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    if (services_.rememberSize && !isMaximized() && !isFullScreen()) services_.rememberSize(size());
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
