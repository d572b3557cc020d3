// Starting other programs and web addresses without waiting for them.
#pragma once
#include <string>
#include <vector>

namespace vts {

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts program with args detached; false when it could not be started.
    virtual bool startDetached(const std::string& program, const std::vector<std::string>& args) = 0;
    // Opens a web address in the desktop's browser.
    virtual bool openUrl(const std::string& url) = 0;
    // Runs program with args and waits up to timeoutMs for it to end; returns its exit code,
    // or -1 when it could not be started or did not end in time.
    virtual int runAndWait(const std::string& program, const std::vector<std::string>& args, int timeoutMs) = 0;
};

class RecordingLauncher : public Launcher {
public:
    struct Start {
        std::string program;
        std::vector<std::string> args;
    };
    std::vector<Start> starts;
    std::vector<std::string> urls;
    bool result = true;

    bool startDetached(const std::string& program, const std::vector<std::string>& args) override {
        starts.push_back({program, args});
        return result;
    }
    bool openUrl(const std::string& url) override {
        urls.push_back(url);
        return result;
    }
    int runAndWait(const std::string& program, const std::vector<std::string>& args, int) override {
        runs.push_back({program, args});
        return result ? 0 : -1;
    }
    std::vector<Start> runs;
};

}  // namespace vts
