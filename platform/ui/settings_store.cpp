#include "platform/ui/settings_store.h"

#include <QSettings>

namespace vts {

SettingsStore::SettingsStore() : settings_(std::make_unique<QSettings>("Quillmere", "Verdalith Table Studio")) {}

SettingsStore::SettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

std::string SettingsStore::database() const { return settings_->value("Database", QString()).toString().toStdString(); }

void SettingsStore::setDatabase(const std::string& folder) {
    settings_->setValue("Database", QString::fromStdString(folder));
    settings_->sync();
}

QSize SettingsStore::gridSize() const { return settings_->value("GridSize", QSize()).toSize(); }

void SettingsStore::setGridSize(QSize size) {
    settings_->setValue("GridSize", size);
    settings_->sync();
}

bool SettingsStore::pdfPrinterNoticeOff() const { return settings_->value("PdfPrinterNoticeOff", false).toBool(); }

void SettingsStore::setPdfPrinterNoticeOff(bool off) {
    settings_->setValue("PdfPrinterNoticeOff", off);
    settings_->sync();
}

}  // namespace vts
