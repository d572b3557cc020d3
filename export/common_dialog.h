// CommonDialog1: the grid editor's save dialog, set up by property and shown by ShowSave.
#pragma once
#include <string>

#include "platform/shell/dialogs.h"

namespace vts {

class CommonDialog {
public:
    explicit CommonDialog(Dialogs& dialogs) : dialogs_(dialogs) {}

    std::string DialogTitle;
    std::string Filter;    // "Name (*.ext)|*.ext"
    std::string FileName;  // the chosen path after ShowSave; empty after a cancel

    // Asks for a file name. The dialog starts with the name chosen last in any export, since
    // the one dialog serves all of them and is never reset; before the first, in the user's home
    // folder (not the program's working folder).
    void ShowSave();

private:
    Dialogs& dialogs_;
    std::string lastChosen_;
};

}  // namespace vts
