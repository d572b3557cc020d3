// The persistent settings in the per-user settings store: the last Paradox folder, the size the
// user gave the grid page, and whether the missing PDF printer is to be mentioned at start.
#pragma once
#include <QSize>
#include <QString>
#include <memory>
#include <string>

class QSettings;

namespace vts {

class SettingsStore {
public:
    // The user's store: organisation "Quillmere", application "Verdalith Table Studio".
    SettingsStore();
    // A store in an INI file of its own (tests).
    explicit SettingsStore(const QString& iniFile);
    ~SettingsStore();

    std::string database() const;  // key "Database", "" when absent
    void setDatabase(const std::string& folder);
    QSize gridSize() const;  // key "GridSize", empty when absent
    void setGridSize(QSize size);
    bool pdfPrinterNoticeOff() const;  // key "PdfPrinterNoticeOff": the missing-printer notice is not to show
    void setPdfPrinterNoticeOff(bool off);

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace vts
