#include "platform/shell/error_trap.h"

namespace vts {

std::string errorTag(const std::string& module, const std::string& routine, const std::string& project) {
    return project + "2021/08/31." + module + "." + routine;
}

std::string errorReportText(const std::string& description, const std::string& tag, int label) {
    return description + "\r\n" + "in " + tag + " " + "at line " + std::to_string(label) + "\r\r" +
           "Please email screenshot of this message to " + kSupportEmail;
}

void showErrorReport(Dialogs& dialogs, const std::string& description, const std::string& tag, int label) {
    dialogs.messageBox(errorReportText(description, tag, label), mb::OkOnly | mb::Exclamation, "Application Error");
}

}  // namespace vts
