// Shared pieces of the PDF export tests, beside the exporter tests' grid and scratch folder:
// the TXT bytes to expect, and environment variables set for one scope.
#pragma once
#include <stdlib.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/print/printer_system.h"
#include "tests/export/export_test_support.h"

namespace vts {
inline void PrintTo(const PrinterChoice& choice, std::ostream* os) { *os << ChoiceName(choice); }
}  // namespace vts

namespace vts::test {

// The TXT bytes SaveDataGridToFile writes for these rows.
inline std::string TxtBytes(const std::vector<std::string>& captions, const Rows& rows) {
    std::string text;
    for (const auto& c : captions) text += c + "\t";
    text += "\r\n";
    for (const auto& row : rows) {
        for (const auto& cell : row) text += cell + "\t";
        text += "\r\n";
    }
    return text + "\r\n";
}

// The user's own default set to that queue (or "queue/instance").
inline std::optional<PrinterChoice> Own(const std::string& name) {
    const auto slash = name.find('/');
    if (slash == std::string::npos) return PrinterChoice{name, ""};
    return PrinterChoice{name.substr(0, slash), name.substr(slash + 1)};
}

inline std::optional<std::string> Env(const char* name) {
    const char* value = ::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

// Sets (or with nullopt removes) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value)
        : name_(std::move(name)), old_(Env(name_.c_str())) {
        set(value);
    }
    ~ScopedEnv() { set(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void set(const std::optional<std::string>& value) {
        if (value) ::setenv(name_.c_str(), value->c_str(), 1);
        else ::unsetenv(name_.c_str());
    }
    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace vts::test
