// Stand-ins for the window's parts that tests drive without a window: the chooser's table list
// and the pointer host.
#pragma once
#include <string>
#include <vector>

#include "bridge/table_list.h"
#include "platform/shell/pointer.h"

namespace vts {

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

class PlainPointer : public PointerHost {
public:
    int mousePointer() const override { return value_; }
    void setMousePointer(int value) override { value_ = value; }

private:
    int value_ = pointer::Default;
};

}  // namespace vts
