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

}  // namespace vts
