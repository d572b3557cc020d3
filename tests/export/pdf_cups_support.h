// What the tests against the real CUPS server share: the set-up that scripts/cups-test-start.sh
// left (or a reason to skip), a lock so that only one such test uses CUPS at a time, shell
// commands, and a launcher that really runs the print program.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/shell/launcher.h"
#include "tests/export/pdf_test_support.h"

extern char** environ;

namespace vts::test {

inline std::string CupsStateDir() {
    const auto dir = Env("VTS_CUPS_STATE_DIR");
    return dir ? *dir : "/tmp/vts-cups-test";
}

// The folder cups-pdf writes into, or nullopt when the start script has not prepared CUPS.
inline std::optional<std::filesystem::path> CupsPdfFolder() {
    if (const auto out = Env("VTS_CUPS_PDF_OUT"); out && !out->empty()) return std::filesystem::path(*out);
    std::string line = readFile(CupsStateDir() + "/pdf_out");
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.empty() || !std::filesystem::is_directory(line)) return std::nullopt;
    return std::filesystem::path(line);
}

// Holds an exclusive lock on the state folder's lock file for the length of a test.
class CupsLock {
public:
    CupsLock() : fd_(::open((CupsStateDir() + "/lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600)) {
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~CupsLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    CupsLock(const CupsLock&) = delete;
    CupsLock& operator=(const CupsLock&) = delete;

private:
    int fd_;
};

struct ShellResult {
    int status = -1;
    std::string output;  // stdout and stderr
};

inline ShellResult Shell(const std::string& command) {
    ShellResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Quotes text as one word for /bin/sh.
inline std::string ShellWord(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the print program for real and waits for it; what the program's window layer does.
class SpawnLauncher : public Launcher {
public:
    int runAndWait(const std::string& program, const std::vector<std::string>& args, int timeoutMs) override {
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid_t pid;
        if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        int status = 0;
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    bool startDetached(const std::string&, const std::vector<std::string>&) override { return false; }
    bool openUrl(const std::string&) override { return false; }
};

}  // namespace vts::test
