// Environment variables set, or removed, for one scope, and put back as they were after it even
// when an assertion ends the test early.
#pragma once
#include <stdlib.h>

#include <optional>
#include <string>

namespace vts::test {

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
