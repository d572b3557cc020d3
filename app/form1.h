// The folder page: asks for the Paradox folder and moves on to the table chooser.
#pragma once
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "app/form_pointer.h"
#include "platform/shell/app_context.h"

namespace vts {

class SettingsStore;

// What the page calls in other parts of the program.
struct Form1Services {
    std::function<void(bool& sample)> copyDb;
    std::function<bool()> folderHasParadoxTables;
    std::function<std::string(const std::string& prompt)> browseForFolder;
    std::function<void()> checkPdfPrinter;
    std::function<void()> showForm2;
    std::function<bool()> mayClose;         // false keeps the program open (edits not yet settled)
    std::function<int()> drawOneToHundred;  // default: seeded from the time of day
};

class Form1 : public QWidget {
public:
    Form1(AppContext& ctx, SettingsStore& settings, Form1Services services);

    void Form_Load();
    void PushButton1_Click();  // Load Sample
    void PushButton2_Click();  // Test Connection
    void PushButton3_Click();  // Next
    void PushButton5_Click();  // Browse

    bool hiddenAtLoad() const { return hiddenAtLoad_; }
    FormPointer& pointer() { return pointer_; }

    QGroupBox* Frame1;
    QLabel* Label2;
    QLineEdit* Text1;
    QPushButton* PushButton5;
    QPushButton* PushButton1;
    QPushButton* PushButton2;
    QPushButton* PushButton3;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    std::string trapTag(const char* routine) const;
    void showTableChooser(class ErrorTrap& trap, int showLabel, int hideLabel);

    AppContext& ctx_;
    SettingsStore& settings_;
    Form1Services services_;
    FormPointer pointer_;
    bool hiddenAtLoad_ = false;
    bool loading_ = false;
};

}  // namespace vts
