// A small line-oriented text: readable when someone has to look, checked by a hash line.
#include "platform/pdx/replace/replace_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/pdx/format/fnv1a.h"
#include "platform/pdx/format/types.h"

namespace pdx {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFirstLine = "Verdalith table replacement 1";

// Blanks, line ends and '%' would break the line format: they travel as %XX.
std::string escape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c <= 0x20 || c == '%' || c == 0x7F) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string stored(const fs::path& p, const fs::path& dir) {
    return escape(p.parent_path() == dir ? p.filename().string() : p.string());
}

fs::path loaded(const std::string& text, const fs::path& dir) {
    const fs::path p = unescape(text);
    return p.is_absolute() ? p : dir / p;
}

void writeAll(int fd, const std::string& text, const fs::path& file) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw Error(file.string() + ": cannot write: " + std::strerror(errno));
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

}  // namespace

fs::path journalPath(const fs::path& dir, const std::string& table) { return dir / (table + kJournalSuffix); }

void writeJournal(const fs::path& file, const ReplaceJournal& journal, const WriteHook& hook) {
    const fs::path dir = file.parent_path();
    std::string text = std::string(kFirstLine) + "\n" + "table " + escape(journal.table) + "\n";
    const auto line = [&](const char* kind, const JournalMove& m) {
        return std::string(kind) + " " + std::to_string(m.inode) + " " + stored(m.from, dir) + " " + stored(m.to, dir) +
               (m.print.empty() ? "" : " " + escape(m.print)) + "\n";
    };
    for (const auto& m : journal.old) text += line("old", m);
    for (const auto& m : journal.added) text += line("new", m);
    char hash[40];
    std::snprintf(hash, sizeof hash, "end %016llx\n", static_cast<unsigned long long>(fnv1a(text)));
    text += hash;

    const fs::path temp = uniqueSibling(file, ".vts-new");
    if (hook) hook();
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) throw Error(temp.string() + ": cannot create: " + std::strerror(errno));
    try {
        if (hook) hook();
        writeAll(fd, text, temp);
        if (hook) hook();
        if (::fsync(fd) != 0) throw Error(temp.string() + ": cannot flush to disk: " + std::strerror(errno));
        ::close(fd);
        if (hook) hook();
        renameNoReplace(temp, file);
    } catch (...) {
        ::close(fd);  // harmless when already closed: the descriptor number is not reused in between
        ::unlink(temp.c_str());
        throw;
    }
    if (hook) hook();
    syncFolder(dir);
}

ReplaceJournal readJournal(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) throw Error(file.string() + ": cannot read the replacement journal");
    const auto damaged = [&] { return Error(file.string() + ": the replacement journal is damaged"); };
    const auto endAt = text.rfind("end ");
    if (endAt == std::string::npos || (endAt > 0 && text[endAt - 1] != '\n')) throw damaged();
    char expected[40];
    std::snprintf(expected, sizeof expected, "end %016llx\n",
                  static_cast<unsigned long long>(fnv1a(std::string_view(text).substr(0, endAt))));
    if (text.substr(endAt) != expected) throw damaged();

    ReplaceJournal j;
    std::istringstream lines(text.substr(0, endAt));
    std::string line;
    if (!std::getline(lines, line) || line != kFirstLine) throw damaged();
    const fs::path dir = file.parent_path();
    try {
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            std::string kind, inode, from, to, print;
            words >> kind;
            if (kind == "table" && (words >> from)) {
                j.table = unescape(from);
                continue;
            }
            if ((kind != "old" && kind != "new") || !(words >> inode >> from >> to)) throw damaged();
            words >> print;
            JournalMove m{std::stoull(inode), loaded(from, dir), loaded(to, dir), unescape(print)};
            (kind == "old" ? j.old : j.added).push_back(std::move(m));
        }
    } catch (const std::logic_error&) {  // a number that is none
        throw damaged();
    }
    return j;
}

}  // namespace pdx
