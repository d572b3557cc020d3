// The table list that discovery fills: the chooser page implements it over its list view.
#pragma once
#include <string>
#include <vector>

namespace vts {

class TableList {
public:
    virtual ~TableList() = default;
    virtual void clear() = 0;
    virtual void add(const std::string& text) = 0;  // at the end
    virtual int count() const = 0;
    virtual std::string text(int i) const = 0;  // 0-based
};

// A table list without a window, for tests and headless callers.
class VectorTableList : public TableList {
public:
    std::vector<std::string> items;
    void clear() override { items.clear(); }
    void add(const std::string& text) override { items.push_back(text); }
    int count() const override { return static_cast<int>(items.size()); }
    std::string text(int i) const override { return items.at(static_cast<size_t>(i)); }
};

}  // namespace vts
