#include "pages/form2.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <algorithm>
#include <filesystem>
#include <map>

#include "app/display_helpers.h"
#include "app/program_icon.h"
#include "bridge/paradox.h"
#include "pages/busy_scope.h"
#include "pages/form3.h"
#include "pages/kept_edits.h"
#include "pages/long_work_progress.h"
#include "platform/db/grid_source.h"
#include "platform/shell/error_trap.h"
#include "platform/shell/errors.h"
#include "platform/ui/cursor_file.h"

namespace vts {

namespace {

constexpr int kFolderRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;

// "sales/2019" below the chosen folder; the chosen folder itself by its own name.
QString folderCaption(const std::string& folder, const std::string& top) {
    const std::filesystem::path relative = std::filesystem::path(folder).lexically_relative(top);
    const std::filesystem::path shown = relative.empty() || relative == "." || relative.string().starts_with("..")
                                            ? std::filesystem::path(folder).filename()
                                            : relative;
    return QString::fromStdString(shown.string());
}

}  // namespace

void ListViewTables::add(const std::string& text, const std::string& folder) {
    auto item = std::make_unique<QTreeWidgetItem>(QStringList{QString::fromStdString(text)});
    item->setData(0, kFolderRole, QString::fromStdString(folder));
    item->setData(0, kNameRole, QString::fromStdString(text));
    item->setToolTip(0, QString::fromStdString(folder));
    view_->addTopLevelItem(item.release());
}

std::string ListViewTables::nameOf(const QTreeWidgetItem* item) {
    return item->data(0, kNameRole).toString().toStdString();
}

std::string ListViewTables::folderOf(const QTreeWidgetItem* item) {
    return item->data(0, kFolderRole).toString().toStdString();
}

void ListViewTables::arrange(const std::string& top) {
    std::vector<std::unique_ptr<QTreeWidgetItem>> items;
    while (view_->topLevelItemCount() > 0) items.emplace_back(view_->takeTopLevelItem(0));
    const auto key = [](const auto& item) { return std::pair(nameOf(item.get()), folderOf(item.get())); };
    std::stable_sort(items.begin(), items.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    std::map<std::string, int> perName;
    for (const auto& item : items) ++perName[nameOf(item.get())];
    for (auto& item : items) {
        const std::string name = nameOf(item.get());
        if (perName[name] > 1)
            item->setText(0, QString::fromStdString(name) + QString::fromUtf8(" \u2014 ") +
                                 folderCaption(folderOf(item.get()), top));
        view_->addTopLevelItem(item.release());
    }
}

Form2::Form2(AppContext& ctx, PageState& state, Form2Services services)
    : ctx_(ctx), state_(state), services_(std::move(services)), pointer_(this) {
    buildControls();
}

void Form2::buildControls() {
    setObjectName("Form2");
    makeFixedPage(this, {twips(8040), twips(2640)});
    setFont(arial(9, true));
    paintWhite(this);

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName("ListView1");
    ListView1->setGeometry(twipsRect(120, 120, 7800, 1905));
    ListView1->setFont(arial(9, true));
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setColumnCount(0);
    ListView1->setHeaderHidden(false);
    PushButton2 = pointer_.addButton(this, "PushButton2", "< Back", twipsRect(120, 2120, 3840, 405));
    PushButton3 = pointer_.addButton(this, "PushButton3", "Next >", twipsRect(4080, 2120, 3840, 405));
    pointer_.watchBackground(this);
    pointer_.watchBackground(ListView1->viewport());
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Click(); });
    // A double-click or Enter on a table opens it, as Next does.
    connect(ListView1, &QTreeWidget::itemActivated, this, [this] { PushButton3_Click(); });
}

int Form2::selectedIndex() const {
    const auto selected = ListView1->selectedItems();
    return selected.isEmpty() ? 0 : ListView1->indexOfTopLevelItem(selected.first()) + 1;
}

void Form2::chooseTable(const std::string& name) {
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        if (ListViewTables::nameOf(ListView1->topLevelItem(i)) == name) {
            ListView1->clearSelection();
            ListView1->topLevelItem(i)->setSelected(true);
            ListView1->setCurrentItem(ListView1->topLevelItem(i));
            return;
        }
}

void Form2::Form_Load() {
    ErrorTrap trap(ctx_.dialogs, errorTag("Form2", "Form_Load"));
    trap.step(100, [&] { ApplySystemColors(this); });
    trap.step(102, [&] { setWindowIcon(programIcon()); });
    const std::string cursorFile = (ctx_.appFolder / "HAND-M.CUR").string();
    bool hasCursor = false;
    trap.step(104, [&] { hasCursor = PathExists(cursorFile); });
    if (hasCursor) trap.step(106, [&] { pointer_.setCustomCursor(loadCursorFile(cursorFile)); });
    trap.step(108, [&] { setWindowTitle(kProductName); });
    trap.step(110, [&] { pointer_.setMousePointer(pointer::Hourglass); });
    trap.step(112, [&] { ListView1->setHeaderLabels({"Which table do you want edit?"}); });
    trap.step(114, [&] { ListView1->header()->resizeSection(0, twips(6500)); });
    fillList(trap);
    trap.step(120, [&] { pointer_.setMousePointer(pointer::Default); });
}

void Form2::fillList(ErrorTrap& trap) {
    trap.step(116, [&] {
        filledFor_ = ctx_.folderText();
        ListViewTables tables(ListView1);
        AddTablesToParadoxListbox(ctx_, tables);
        tables.arrange(filledFor_);
    });
    trap.step(118, [&] {
        if (ListView1->topLevelItemCount() > 0) ListView1->topLevelItem(0)->setSelected(true);
    });
}

void Form2::Form_Activate() {
    if (busy_ || ctx_.folderText() == filledFor_) return;
    ErrorTrap trap(ctx_.dialogs, errorTag("Form2", "Form_Activate"));
    trap.step(110, [&] { pointer_.setMousePointer(pointer::Hourglass); });
    fillList(trap);
    trap.step(120, [&] { pointer_.setMousePointer(pointer::Default); });
}

// The chosen table becomes this window's: another table's unsaved edits are settled first, and a
// table another window is editing is left to that window.
bool Form2::claimTable(const std::string& name, const std::string& folder) {
    if (state_.session && state_.session->working() == WorkingTableName(folder, name)) return true;
    if (!SettleSessionEdits(ctx_, state_)) return false;
    std::optional<EditSession> claim = EditSession::claim(ctx_, folder, name);
    if (!claim) {
        ctx_.message("The table " + name +
                         " is being edited in another window of this program. Finish there first: its changes are "
                         "written back when its grid is closed.",
                     mb::OkOnly | mb::Exclamation);
        return false;
    }
    state_.session.emplace(std::move(*claim));
    return true;
}

// Importing replaces the working table: edits in it that were not written back are discarded
// only when the user says so; No goes on with them as they are.
bool Form2::mayReplaceWorkingTable(ErrorTrap& trap, bool& keepEdits) {
    bool unsaved = true;
    if (!trap.step(108, [&] { unsaved = WorkingTableHasUnsavedEdits(ctx_, state_.session->working()); })) return false;
    keepEdits = false;
    if (!unsaved) return true;
    const int answer = ctx_.message("The table " + state_.currentTableName +
                                        " has changes that are not yet saved to the Paradox folder. Discard them?"
                                        "\r\n\r\nYes: discard them and open the table as it is in the folder. No: go "
                                        "on with them. Cancel: stay here.",
                                    mb::YesNoCancel | mb::Question | mb::DefaultButton2);
    keepEdits = answer == mb::No;
    return answer != mb::Cancel;
}

// A password-protected table opens with its password, asked for each time and checked before
// anything in the working database changes. Its steps are the import's, and report its label.
bool Form2::unlockTable(ErrorTrap& trap, std::string& password) {
    const std::string& name = state_.currentTableName;
    const std::string& folder = state_.currentTableFolder;
    bool isProtected = false;
    if (!trap.step(110, [&] { isProtected = TableIsPasswordProtected(folder, name); })) return false;
    if (!isProtected) return true;
    const auto typed =
        ctx_.dialogs.askPassword("The table " + name + " is password-protected. Enter its password:", ctx_.appTitle);
    if (!typed) return false;
    bool right = false;
    if (!trap.step(110, [&] { right = IsTablePassword(folder, name, *typed); })) return false;
    if (!right) {
        ctx_.message("That is not the password of the table " + name + ". The table was not opened.",
                     mb::OkOnly | mb::Exclamation);
        return false;
    }
    password = *typed;
    return true;
}

void Form2::PushButton2_Click() {
    ErrorTrap trap(ctx_.dialogs, errorTag("Form2", "PushButton2_Click"));
    trap.step(100, [&] { services_.showForm1(); });
    trap.step(102, [&] { hide(); });
}

void Form2::PushButton3_Click() {
    ErrorTrap trap(ctx_.dialogs, errorTag("Form2", "PushButton3_Click"));
    std::shared_ptr<db::GridSource> source;                    // [100] what the grid will show
    if (busy_ || ListView1->topLevelItemCount() == 0) return;  // [102]
    if (selectedIndex() < 1) {                                 // [104]
        trap.step(134, [&] { ctx_.message("Please select a table", mb::OkOnly); });
        return;
    }
    BusyScope busy(busy_, {PushButton2, PushButton3});
    closeAsked_ = false;
    trap.step(106, [&] { pointer_.setMousePointer(pointer::Hourglass); });
    const QTreeWidgetItem* chosen = ListView1->selectedItems().first();
    bool keepEdits = false;
    if (!claimTable(ListViewTables::nameOf(chosen), ListViewTables::folderOf(chosen))) {
        trap.step(132, [&] { pointer_.setMousePointer(pointer::Default); });
        return;
    }
    trap.step(108, [&] {
        state_.currentTableName = ListViewTables::nameOf(chosen);
        state_.currentTableFolder = ListViewTables::folderOf(chosen);
    });
    if (!mayReplaceWorkingTable(trap, keepEdits)) {
        trap.step(132, [&] { pointer_.setMousePointer(pointer::Default); });
        return;
    }
    // Edits kept in a copy the program's end cut short go on with the rest of the copy.
    bool resume = false;
    if (keepEdits && !trap.step(108, [&] { resume = WorkingTableCutShort(ctx_, state_.session->working()); })) {
        trap.step(132, [&] { pointer_.setMousePointer(pointer::Default); });
        return;
    }
    std::string password;  // held for the import only
    if ((!keepEdits || resume) && !unlockTable(trap, password)) {
        trap.step(132, [&] { pointer_.setMousePointer(pointer::Default); });
        return;
    }
    bool givenUp = false;
    const bool imported = (keepEdits && !resume) || trap.step(110, [&] {
        LongWorkProgress progress(this, "Copying the table " + QString::fromStdString(state_.currentTableName) + "...");
        const Progress report = [&](long done, long total) {
            if (closeAsked_) throw ImportGivenUp();
            progress.update(done, total);
        };
        const std::string& name = state_.currentTableName;
        const std::string& folder = state_.currentTableFolder;
        const std::string working = state_.session->working();
        const long rowsNow = ctx_.importRowsBeforeGrid;
        try {
            // The first rows now; the grid shows them while the rest follow.
            state_.importTail = resume ? ResumeParadoxImport(ctx_, name, folder, working, rowsNow, report, password)
                                       : StartParadoxImport(ctx_, name, folder, working, rowsNow, report, password);
        } catch (const ImportGivenUp&) {
            givenUp = true;
        }
    });
    // A close asked for meanwhile (also during a question, or an import that failed) ends the
    // program now; only an import's own copy is thrown away, never edits kept from before.
    if (givenUp || closeAsked_) {
        endAfterClose(!keepEdits);
        return;
    }
    if (!imported) {  // a part of the table must not be edited and then written back as the whole
        trap.step(132, [&] { pointer_.setMousePointer(pointer::Default); });
        return;
    }
    trap.step(112, [&] { state_.gridConnection = std::make_unique<db::Connection>(); });
    auto grid = [this]() -> db::Connection& {
        if (!state_.gridConnection) throw Error("There is no connection to the working database.");
        return *state_.gridConnection;
    };
    trap.step(114, [&] { grid().Open(WorkingConnectionString(ctx_.dataHome())); });
    Form3* form3 = nullptr;
    trap.step(116, [&] { form3 = &services_.showForm3(); });
    if (form3) {
        trap.step(118,
                  [&] { form3->Label2->setText(QString::fromStdString(" Now Editing: " + state_.currentTableName)); });
        trap.step(120, [&] { form3->DataGrid1->setDataSource(nullptr); });
        // [122] The typed connection has no cursor location to set again.
        const std::string working = state_.session->working();
        trap.step(124, [&] { source = grid().OpenGridSource(working); });
        trap.step(126, [&] {
            if (!source) throw Error("The table " + state_.currentTableName + " could not be opened for the grid.");
            const TableFacts facts = ParadoxTableFacts(state_.currentTableFolder, state_.currentTableName);
            form3->DataGrid1->setDataSource(source, grid().SourceStructure(working), facts);
            form3->noteChecksNotMade(facts.checksNotEnforced);
            form3->followImport();
        });
        trap.step(128, [&] { form3->DataGrid1->setFocus(); });
    }
    trap.step(130, [&] { hide(); });
    trap.step(132, [&] { pointer_.setMousePointer(pointer::Default); });
}

// Closing the window during an import ends the program, as it does otherwise: the import stops
// at its next progress report, and what it copied so far is thrown away, never edited.
void Form2::endAfterClose(bool discardCopy) {
    state_.importTail.reset();  // the copy stops before its table goes
    try {
        if (discardCopy)
            DiscardWorkingTable(ctx_, WorkingTableName(state_.currentTableFolder, state_.currentTableName));
    } catch (const std::exception& e) {
        ctx_.message(std::string("The part of the table copied so far could not be removed: ") + e.what(),
                     mb::OkOnly | mb::Exclamation);
    }
    pointer_.setMousePointer(pointer::Default);
    if (SettleSessionEdits(ctx_, state_)) {
        hide();
        ctx_.endProgram();
    }
}

void Form2::closeEvent(QCloseEvent* e) {
    if (busy_) {
        closeAsked_ = true;
        e->ignore();
        return;
    }
    if (!SettleSessionEdits(ctx_, state_)) {
        e->ignore();
        return;
    }
    e->accept();
    ctx_.endProgram();
}

}  // namespace vts
