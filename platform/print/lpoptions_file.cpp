#include "platform/print/lpoptions_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace vts {

namespace {

// One line split as libcups reads it: keyword, destination name, and the rest (options).
struct LpoptionsLine {
    std::string keyword, name, rest;
    bool isDestination() const {
        return ::strcasecmp(keyword.c_str(), "Dest") == 0 || ::strcasecmp(keyword.c_str(), "Default") == 0;
    }
    bool isDefault() const { return ::strcasecmp(keyword.c_str(), "Default") == 0; }
};

LpoptionsLine Split(const std::string& line) {
    LpoptionsLine parts;
    std::istringstream words(line);
    words >> parts.keyword >> parts.name;
    std::getline(words, parts.rest);
    return parts;
}

PrinterChoice ChoiceOf(const std::string& name) {
    const auto slash = name.find('/');
    if (slash == std::string::npos) return {name, ""};
    return {name.substr(0, slash), name.substr(slash + 1)};
}

// Queue and instance names compare without regard to letter case, as CUPS compares them.
bool SameChoice(const std::string& name, const PrinterChoice& choice) {
    const PrinterChoice named = ChoiceOf(name);
    return ::strcasecmp(named.queue.c_str(), choice.queue.c_str()) == 0 &&
           ::strcasecmp(named.instance.c_str(), choice.instance.c_str()) == 0;
}

bool HasOptions(const std::string& rest) { return rest.find_first_not_of(" \t\r") != std::string::npos; }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    throw Error("The home folder, where the user's printer settings are kept, is not known.");
}

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw Error("Cannot " + what + " the printer settings file \"" + path + "\": " + std::strerror(errno));
}

// A file descriptor closed at the end of its scope.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

void WriteAll(int fd, const std::string& text, const std::string& path) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail("write", path);
        done += static_cast<size_t>(n);
    }
}

void RemoveIfPresent(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) Fail("remove", path);
}

}  // namespace

std::string UserLpoptionsPath() { return HomeFolder() + "/.cups/lpoptions"; }

std::optional<PrinterChoice> DefaultInLpoptions(const std::string& text) {
    std::optional<PrinterChoice> found;
    for (const auto& line : Lines(text)) {  // the last "Default" line wins, as in libcups
        const LpoptionsLine parts = Split(line);
        if (parts.isDefault() && !parts.name.empty()) found = ChoiceOf(parts.name);
    }
    return found;
}

std::string WithDefault(const std::string& text, const std::optional<PrinterChoice>& choice) {
    std::vector<std::string> lines;
    bool placed = false;
    for (const auto& line : Lines(text)) {
        const LpoptionsLine parts = Split(line);
        if (!parts.isDestination() || parts.name.empty()) {
            lines.push_back(line);
        } else if (choice && !placed && SameChoice(parts.name, *choice)) {
            lines.push_back("Default " + parts.name + parts.rest);
            placed = true;
        } else if (!parts.isDefault()) {
            lines.push_back(line);
        } else if (HasOptions(parts.rest) || !ChoiceOf(parts.name).instance.empty()) {
            lines.push_back("Dest " + parts.name + parts.rest);  // options and instances stay
        }
    }
    if (choice && !placed) lines.push_back("Default " + ChoiceName(*choice));
    return Joined(lines);
}

std::string ReadLpoptions(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return {};
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail("read", path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteLpoptions(const std::string& path, const std::string& text) {
    if (text.empty()) return RemoveIfPresent(path);
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) Fail("create the folder of", path);
    mode_t mode = 0644;
    if (struct stat st{}; ::stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;
    std::string temp = path + ".XXXXXX";
    Fd fd(::mkstemp(temp.data()));
    if (fd.get() < 0) Fail("write", path);
    try {
        WriteAll(fd.get(), text, path);
        if (::fchmod(fd.get(), mode) != 0) Fail("write", path);
        if (::close(fd.release()) != 0) Fail("write", path);
        if (::rename(temp.c_str(), path.c_str()) != 0) Fail("replace", path);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
}

}  // namespace vts
