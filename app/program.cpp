#include "app/program.h"

#include <QGuiApplication>
#include <QScreen>

#include "bridge/copy_db.h"
#include "bridge/paradox.h"
#include "fsutil/folder_picker.h"
#include "pages/kept_edits.h"

namespace vts {

Program::Program(ProgramServices services)
    : services_(std::move(services)), ctx_{services_.dialogs, services_.launcher, services_.appFolder} {
    ctx_.dataFolder = services_.dataFolder;
    ctx_.yieldToUi = services_.yieldToUi;
    ctx_.endProgram = services_.endProgram;
    pages_ = std::make_unique<PageHost>(ctx_, state_, services_.exporters, [this] {
        form1_->show();
        form1_->raise();
    });
    Form1Services f;
    f.copyDb = [this](bool& sample) { CopyDB(ctx_, sample, fso_); };
    f.folderHasParadoxTables = [this] { return FolderHasParadoxTables(ctx_); };
    f.browseForFolder = [this](const std::string& prompt) { return BrowseForFolder(ctx_, prompt, ""); };
    f.checkPdfPrinter = [this] { services_.checkPdfPrinter(ctx_); };
    f.showForm2 = [this] { pages_->showForm2(); };
    f.mayClose = [this] { return SettleSessionEdits(ctx_, state_); };
    form1_ = std::make_unique<Form1>(ctx_, services_.settings, f);
    ctx_.folderText = [this] { return form1_->Text1->text().toStdString(); };
    ctx_.setFolderText = [this](const std::string& text) { form1_->Text1->setText(QString::fromStdString(text)); };
}

Program::~Program() = default;

void Program::start() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        form1_->move(screen->availableGeometry().center() - form1_->rect().center());
    form1_->Form_Load();
    if (!form1_->hiddenAtLoad()) form1_->show();
    OfferLeftEdits(ctx_);  // edits a crash kept are not left unsaid
}

}  // namespace vts
