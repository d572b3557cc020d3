// BrowseForFolder and the normaliser the Qt folder dialog shares with it.
#include "fsutil/folder_picker.h"

namespace vts {

std::string BrowseForFolder(AppContext& ctx, const std::string& prompt, const std::string& initialFolder) {
    return normaliseChosenFolder(ctx.dialogs.browseForFolder(prompt, initialFolder));
}

std::string normaliseChosenFolder(std::string chosen) {
    const auto nul = chosen.find('\0');
    if (nul != std::string::npos) chosen.erase(nul);
    if (chosen.empty()) return chosen;
    const auto last = chosen.find_last_not_of('/');
    if (last == std::string::npos) return "/";
    chosen.erase(last + 1);
    return chosen;
}

}  // namespace vts
