#include "export/common_dialog.h"

namespace vts {

void CommonDialog::ShowSave() {
    const std::string start = FileName.empty() ? lastChosen_ : FileName;
    FileName = dialogs_.saveFileName(DialogTitle, Filter, start);
    if (!FileName.empty()) lastChosen_ = FileName;
}

}  // namespace vts
