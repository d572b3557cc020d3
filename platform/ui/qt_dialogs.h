// The real message boxes and file dialogs, on Qt.
#pragma once
#include <QPointer>
#include <QWidget>

#include "platform/shell/dialogs.h"

namespace vts {

class QtDialogs : public Dialogs {
public:
    // Dialogs are modal to the active window when there is one.
    int messageBox(const std::string& text, int style, const std::string& caption) override;
    std::string browseForFolder(const std::string& prompt, const std::string& initialFolder) override;
    std::string saveFileName(const std::string& title, const std::string& filter,
                             const std::string& initialName) override;
    int messageBoxWithOptOut(const std::string& text, int style, const std::string& caption, bool& optOut) override;
    std::optional<std::string> askPassword(const std::string& prompt, const std::string& caption) override;
};

// Room a window manager takes beside a caption: icon, buttons and margins.
inline constexpr int kCaptionDecoration = 140;

// "CSV Files (*.csv)|*.csv|Text (*.txt)|*.txt" -> "CSV Files (*.csv);;Text (*.txt)"
QString qtFilterFromPipes(const std::string& filter);

}  // namespace vts
