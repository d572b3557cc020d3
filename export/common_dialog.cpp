#include "export/common_dialog.h"

#include <cstdlib>

namespace vts {

void CommonDialog::ShowSave() {
    std::string start = FileName.empty() ? lastChosen_ : FileName;
    if (start.empty()) {
        const char* home = std::getenv("HOME");
        if (home && *home) start = std::string(home) + "/";
    }
    FileName = dialogs_.saveFileName(DialogTitle, Filter, start);
    if (!FileName.empty()) lastChosen_ = FileName;
}

}  // namespace vts
