// Starting programs and web addresses for real, with QProcess.
#pragma once
#include "platform/shell/launcher.h"

namespace vts {

class QtLauncher : public Launcher {
public:
    bool startDetached(const std::string& program, const std::vector<std::string>& args) override;
    // Through xdg-open, detached: it would otherwise block until the browser ends.
    bool openUrl(const std::string& url) override;
    int runAndWait(const std::string& program, const std::vector<std::string>& args, int timeoutMs) override;
};

}  // namespace vts
