// Shared pieces of the PDF export tests: a grid over rows in memory, a private temporary
// folder, environment variables set for one scope, and file reading.
#pragma once
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "export/data_grid.h"

namespace vts::testing {

// A grid that shows `window` rows at a time and scrolls like the real one.
class RowsGrid : public DataGrid {
public:
    RowsGrid(std::vector<std::string> captions, std::vector<std::vector<std::string>> rows, int window = 3)
        : captions_(std::move(captions)), rows_(std::move(rows)), window_(window) {}
    void beginWalk() override { top_ = 0; current_ = 0; }
    long ApproxCount() override { return static_cast<long>(rows_.size()); }
    int VisibleRows() override { return window_; }
    void setRow(int row) override { current_ = top_ + row; }
    void Scroll(int, int rows) override { top_ += rows; }
    int columnCount() override { return static_cast<int>(captions_.size()); }
    std::string columnCaption(int k) override { return captions_.at(k); }
    std::string columnText(int k) override { return rows_.at(current_).at(k); }

private:
    std::vector<std::string> captions_;
    std::vector<std::vector<std::string>> rows_;
    int window_;
    size_t top_ = 0, current_ = 0;
};

// The TXT bytes SaveDataGridToFile writes for these rows.
inline std::string TxtBytes(const std::vector<std::string>& captions,
                            const std::vector<std::vector<std::string>>& rows) {
    std::string text;
    for (const auto& c : captions) text += c + "\t";
    text += "\r\n";
    for (const auto& row : rows) {
        for (const auto& cell : row) text += cell + "\t";
        text += "\r\n";
    }
    return text + "\r\n";
}

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vts-pdf-test.XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& e : std::filesystem::directory_iterator(path_)) result.push_back(e.path().filename());
        return result;
    }

private:
    std::filesystem::path path_;
};

// Sets (or with nullopt removes) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
        if (const char* old = ::getenv(name_.c_str())) old_ = old;
        if (value) ::setenv(name_.c_str(), value->c_str(), 1);
        else ::unsetenv(name_.c_str());
    }
    ~ScopedEnv() {
        if (old_) ::setenv(name_.c_str(), old_->c_str(), 1);
        else ::unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline std::optional<std::string> Env(const char* name) {
    const char* value = ::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace vts::testing
