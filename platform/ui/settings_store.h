// The one persistent setting, the last Paradox folder, in the per-user settings store.
#pragma once
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

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace vts
