// The table list that discovery fills: the chooser page implements it over its list view. Each
// item shows a table name and keeps the folder that table lives in, so that a table found in a
// sub-folder opens from there.
#pragma once
#include <string>
#include <vector>

namespace vts {

class TableList {
public:
    virtual ~TableList() = default;
    virtual void clear() = 0;
    virtual void add(const std::string& text, const std::string& folder) = 0;  // at the end
    virtual int count() const = 0;
    virtual std::string text(int i) const = 0;    // 0-based
    virtual std::string folder(int i) const = 0;  // 0-based
};

// A table list without a window, for tests and headless callers.
class VectorTableList : public TableList {
public:
    std::vector<std::string> items;    // the texts
    std::vector<std::string> folders;  // one per item
    void clear() override {
        items.clear();
        folders.clear();
    }
    void add(const std::string& text, const std::string& folder) override {
        items.push_back(text);
        folders.push_back(folder);
    }
    int count() const override { return static_cast<int>(items.size()); }
    std::string text(int i) const override { return items.at(static_cast<size_t>(i)); }
    std::string folder(int i) const override { return folders.at(static_cast<size_t>(i)); }
};

}  // namespace vts
