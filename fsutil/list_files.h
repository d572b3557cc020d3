// The file names of one folder that match a wildcard pattern, as a 1-based array.
#pragma once
#include <string>
#include <vector>

namespace vts {

// 1-based as the callers loop it: names[1..ubound]; ubound() == 0 when nothing matched.
// Space is reserved 100 names at first and 50 more each time the count passes it, and
// trimmed to the count by finish().
class FileNameArray {
public:
    static constexpr int kFirstCapacity = 100;
    static constexpr int kGrowth = 50;

    int ubound() const { return count_; }
    const std::string& operator[](int i) const { return names_.at(static_cast<size_t>(i)); }
    int capacity() const { return capacity_; }          // allocated upper bound now
    int peakCapacity() const { return peakCapacity_; }  // largest bound while filling (100, 150, ...)

    void add(std::string name);
    void finish();

private:
    std::vector<std::string> names_ = {""};  // index 0 unused unless nothing matched
    int count_ = 0;
    int capacity_ = 0;
    int peakCapacity_ = 0;
};

// Names (not folders) in folder matching pattern ('*' and '?', letter case ignored:
// "*.db" finds X.DB), hidden files included; each must pass IsExistingFile.
// An empty folder text lists nothing rather than the root folder.
FileNameArray ListFiles(const std::string& folder, const std::string& pattern);

}  // namespace vts
