// The platform services a routine may need, passed by reference instead of living in globals.
#pragma once
#include <filesystem>
#include <functional>
#include <string>

#include "platform/shell/dialogs.h"
#include "platform/shell/launcher.h"

namespace vts {

struct AppContext {
    Dialogs& dialogs;
    Launcher& launcher;
    std::filesystem::path appFolder;           // folder of the executable
    std::filesystem::path dataFolder;          // where the program writes; empty: appFolder
    std::string appTitle = "Verdalith Table";  // set at start-up by SetAppTitle
    std::function<void()> yieldToUi = [] {};   // processes pending window events
    // Rows a table's import copies before its grid opens; the rest follow while it shows.
    long importRowsBeforeGrid = 20000;
    std::function<void()> endProgram = [] {};  // ends the program at once
    // The folder box of the folder page: the one place where the Paradox folder lives.
    std::function<std::string()> folderText = [] { return std::string(); };
    std::function<void(const std::string&)> setFolderText = [](const std::string&) {};

    // The working database and the user's samples live here.
    const std::filesystem::path& dataHome() const { return dataFolder.empty() ? appFolder : dataFolder; }

    // A message box with the application title when no caption is given.
    int message(const std::string& text, int style = 0, const std::string& caption = {}) {
        return dialogs.messageBox(text, style, caption.empty() ? appTitle : caption);
    }
    // The same with a "Do not show this again" box; optOut holds the user's choice after it.
    int messageWithOptOut(const std::string& text, int style, bool& optOut) {
        return dialogs.messageBoxWithOptOut(text, style, appTitle, optOut);
    }
};

}  // namespace vts
