#include "app/program.h"

#include <QGuiApplication>
#include <QScreen>

#include "bridge/copy_db.h"
#include "bridge/paradox.h"
#include "fsutil/folder_picker.h"
#include "pages/form2.h"
#include "pages/kept_edits.h"
#include "platform/pdx/format/name_case.h"
#include "platform/shell/dialogs.h"
#include "platform/ui/settings_store.h"

namespace vts {

Program::Program(ProgramServices services)
    : services_(std::move(services)), ctx_{services_.dialogs, services_.launcher, services_.appFolder} {
    ctx_.dataFolder = services_.dataFolder;
    ctx_.yieldToUi = services_.yieldToUi;
    ctx_.endProgram = services_.endProgram;
    services_.exporters.rememberedSize = [this] { return services_.settings.gridSize(); };
    services_.exporters.rememberSize = [this](QSize size) { services_.settings.setGridSize(size); };
    pages_ = std::make_unique<PageHost>(ctx_, state_, services_.exporters, [this] {
        form1_->show();
        form1_->raise();
    });
    Form1Services f;
    f.copyDb = [this](bool& sample) { CopyDB(ctx_, sample, fso_); };
    f.folderHasParadoxTables = [this] { return FolderHasParadoxTables(ctx_); };
    f.browseForFolder = [this](const std::string& prompt) { return BrowseForFolder(ctx_, prompt, ""); };
    f.checkPdfPrinter = [this] {
        if (!services_.settings.pdfPrinterNoticeOff() && services_.checkPdfPrinter(ctx_))
            services_.settings.setPdfPrinterNoticeOff(true);
    };
    f.showForm2 = [this] { pages_->showForm2(); };
    f.mayClose = [this] { return SettleSessionEdits(ctx_, state_); };
    form1_ = std::make_unique<Form1>(ctx_, services_.settings, f);
    ctx_.folderText = [this] { return form1_->Text1->text().toStdString(); };
    ctx_.setFolderText = [this](const std::string& text) { form1_->Text1->setText(QString::fromStdString(text)); };
}

Program::~Program() = default;

namespace {

// The folder and table (upper-case name, "" for none) a command-line path names.
std::pair<std::string, std::string> folderAndTable(const std::filesystem::path& opened) {
    std::error_code ec;
    const bool folder = std::filesystem::is_directory(opened, ec);
    std::string text = (folder ? opened : opened.parent_path()).lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return {text, folder ? std::string() : pdx::upperName(opened.stem().string())};
}

}  // namespace

void Program::start(const std::string& opened) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        form1_->move(screen->availableGeometry().center() - form1_->rect().center());
    const std::string remembered = services_.settings.database();
    std::error_code ec;
    const std::filesystem::path path = opened.empty() ? std::filesystem::path() : std::filesystem::absolute(opened, ec);
    const bool exists = !opened.empty() && std::filesystem::exists(path, ec);
    const auto [folder, table] = exists ? folderAndTable(path) : std::pair<std::string, std::string>();
    if (exists) services_.settings.setDatabase(folder);
    form1_->Form_Load();
    if (!form1_->hiddenAtLoad()) form1_->show();
    if (exists && form1_->hiddenAtLoad() && !table.empty()) pages_->form2()->chooseTable(table);
    if (!opened.empty() && !exists)
        ctx_.message("\"" + opened + "\" does not exist: the folder page shows the folder of the last run.",
                     mb::Exclamation);
    if (exists && !form1_->hiddenAtLoad()) {
        services_.settings.setDatabase(remembered);  // what did not open is not remembered
        form1_->Text1->setText(QString::fromStdString(remembered));
    }
    OfferLeftEdits(ctx_);  // edits a crash kept are not left unsaid
}

}  // namespace vts
