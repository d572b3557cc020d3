// The grid editor: shows the working table in DataGrid1, exports it, and writes it back to the
// Paradox folder when the window closes.
#pragma once
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "app/form_pointer.h"
#include "export/common_dialog.h"
#include "export/export_context.h"
#include "pages/data_grid_view.h"
#include "pages/find_bar.h"
#include "pages/page_state.h"
#include "platform/shell/app_context.h"

namespace vts {

// The exporters behind the five menu items and the way back to the chooser, as the program wires them.
struct Form3Services {
    std::function<void(ExportContext&)> mnuTXT, mnuXLS, mnuCSV, mnuPDF, mnuXML;
    std::function<void()> showForm2;
    // The grid page's size as the user left it (per user), read when the page is made and kept
    // when it is hidden; unset in tests that do not care.
    std::function<QSize()> rememberedSize;
    std::function<void(QSize)> rememberSize;
};

class Form3 : public QWidget {
public:
    Form3(AppContext& ctx, PageState& state, Form3Services services);

    void Form_Load();
    void PushButton1_Click();  // Back
    void PushButton6_Click();  // Save Results As
    // The close request; returns whether the window may close.
    bool Form_QueryUnload();
    // Runs one menu item as if chosen: "TXT", "XLS", "CSV", "PDF" or "XML".
    void runMenuItem(const QString& caption);

    // Says on the hint line, for the table just opened, which of its validity checks the grid does
    // not make (each named on hover); the plain hint when it makes them all.
    void noteChecksNotMade(const std::vector<std::string>& checks);

    // Follows the rows the table's import still copies (state's importTail): the grid grows as
    // they come, and the title line says how far the copy is.
    void followImport();

    FormPointer& pointer() { return pointer_; }
    ExportContext exportContext();

    QLabel* Label2;
    DataGridView* DataGrid1;
    QLabel* Label1;
    FindBar* FindBar1;  // over the hint line while open
    QPushButton* PushButton6;
    QPushButton* PushButton1;
    QMenu* mnuSaveAs;
    CommonDialog CommonDialog1;

protected:
    void closeEvent(QCloseEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void buildControls();
    void buildMenu();
    void layoutControls();
    bool settleChangedTable(const std::string& why);
    bool settleCutShortTable();
    void showImportProgress();
    bool awaitImport();
    bool endImport();

    AppContext& ctx_;
    PageState& state_;
    Form3Services services_;
    FormPointer pointer_;
    // While an export or a write-back runs, events are processed: no second one may start.
    bool busy_ = false;
    QTimer importTimer_;
};

}  // namespace vts
