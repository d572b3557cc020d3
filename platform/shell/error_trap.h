// The error report: each labelled step of a handler runs under the trap; a failing step
// shows the report with its label, and the handler goes on with the next step.
#pragma once
#include <exception>
#include <string>

#include "platform/shell/dialogs.h"

namespace vts {

inline constexpr const char* kSupportEmail = "support@verdalith.example";
inline constexpr const char* kMakerSite = "https://www.verdalith.example/";

// "Tabrevel2021/08/31.Form1.PushButton1_Click"
std::string errorTag(const std::string& module, const std::string& routine, const std::string& project = "Tabrevel");

// The report's exact text for a failure at one step.
std::string errorReportText(const std::string& description, const std::string& tag, int label);

// Shows the report: caption "Application Error", OK button, exclamation icon.
void showErrorReport(Dialogs& dialogs, const std::string& description, const std::string& tag, int label);

class ErrorTrap {
public:
    ErrorTrap(Dialogs& dialogs, std::string tag) : dialogs_(dialogs), tag_(std::move(tag)) {}

    // Runs one step; on an exception shows the report and returns false.
    template <class F>
    bool step(int label, F&& f) {
        try {
            f();
            return true;
        } catch (const std::exception& e) {
            report(e.what(), label);
        } catch (...) {
            report("Unknown error", label);
        }
        return false;
    }
    int failures() const { return failures_; }

private:
    void report(const std::string& description, int label) {
        ++failures_;
        showErrorReport(dialogs_, description, tag_, label);
    }
    Dialogs& dialogs_;
    std::string tag_;
    int failures_ = 0;
};

}  // namespace vts
