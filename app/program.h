// The running program: the three pages, the shared page state and the platform services they
// use, wired together. main() gives it the real services; tests give it scripted ones.
#pragma once
#include <filesystem>
#include <functional>
#include <memory>

#include "app/form1.h"
#include "pages/page_host.h"
#include "platform/shell/file_system.h"

namespace vts {

class SettingsStore;

struct ProgramServices {
    Dialogs& dialogs;
    Launcher& launcher;
    SettingsStore& settings;
    std::filesystem::path appFolder;
    std::function<void()> endProgram;
    std::function<void()> yieldToUi = [] {};
    Form3Services exporters = {};
    // Tells how to install the PDF printer when it is missing; true when the user asked not to be
    // told again.
    std::function<bool(AppContext&)> checkPdfPrinter = [](AppContext&) { return false; };
    std::filesystem::path dataFolder = {};  // empty: appFolder
};

class Program {
public:
    explicit Program(ProgramServices services);
    ~Program();

    // Runs the folder page's start-up and shows it unless it moved on to the table chooser.
    // `opened` (the command line's, as the desktop's "Open with" passes it): a folder, or a table
    // file whose folder is opened with that table chosen; remembered only once it opened.
    void start(const std::string& opened = {});

    AppContext& context() { return ctx_; }
    PageState& state() { return state_; }
    Form1& form1() { return *form1_; }
    PageHost& pages() { return *pages_; }

private:
    ProgramServices services_;
    AppContext ctx_;
    PageState state_;
    FileSystemObject fso_;
    std::unique_ptr<PageHost> pages_;
    std::unique_ptr<Form1> form1_;
};

}  // namespace vts
