// Verdalith Table Studio: starts on the folder page with the real dialogs, launcher and settings
// (or on the table chooser of a folder given on the command line).
#include <QApplication>

#include "app/program.h"
#include "export/pdf_export.h"
#include "export/printer_check.h"
#include "export/spreadsheet_export.h"
#include "export/text_export_menu.h"
#include "platform/shell/data_folder.h"
#include "platform/ui/qt_dialogs.h"
#include "platform/ui/qt_launcher.h"
#include "platform/ui/settings_store.h"
#include "platform/xlsx/stale_folders.h"

using namespace vts;

namespace {

// Ends at once: no other window's close handling runs.
void endProgram() {
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
    QCoreApplication::exit(0);
}

Form3Services exporters() {
    Form3Services s;
    s.mnuTXT = [](ExportContext& ec) { mnuTXT_Click(ec); };
    s.mnuXLS = [](ExportContext& ec) { mnuXLS_Click(ec); };
    s.mnuCSV = [](ExportContext& ec) { mnuCSV_Click(ec); };
    s.mnuPDF = [](ExportContext& ec) { mnuPDF_Click(ec, ec.tableName); };
    s.mnuXML = [](ExportContext& ec) { mnuXML_Click(ec); };
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Verdalith Table Studio");
    // Workbooks handed to the spreadsheet program by an earlier run, once it has read them.
    xlsx::RemoveStaleSheetFolders();
    QtDialogs dialogs;
    QtLauncher launcher;
    SettingsStore settings;
    const std::filesystem::path appFolder = QCoreApplication::applicationDirPath().toStdString();
    ProgramServices services{dialogs, launcher, settings, appFolder, endProgram};
    try {
        services.dataFolder = chooseDataFolder(appFolder, isBuildFolder);
    } catch (const Error& e) {
        dialogs.messageBox(e.what(), mb::Exclamation, "Verdalith Table Studio");
        return 1;
    }
    services.yieldToUi = [] { QCoreApplication::processEvents(); };
    services.exporters = exporters();
    services.checkPdfPrinter = [](AppContext& ctx) { return CheckPdfPrinter(ctx); };
    Program program(std::move(services));
    // A folder or table named on the command line (the desktop's "Open with") is opened at once.
    const QStringList args = QCoreApplication::arguments();
    program.start(args.size() > 1 ? args.at(1).toStdString() : std::string());
    return QApplication::exec();
}
