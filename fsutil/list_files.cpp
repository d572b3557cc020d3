// ListFiles: matching is fnmatch's, with brackets taken literally as the '*'/'?' patterns
// of the callers expect, and case folded.
#include "fsutil/list_files.h"

#include <fnmatch.h>

#include <filesystem>
#include <system_error>

#include "fsutil/path_tests.h"

namespace vts {

void FileNameArray::add(std::string name) {
    if (capacity_ == 0) capacity_ = kFirstCapacity;
    ++count_;
    if (count_ > capacity_) capacity_ += kGrowth;
    if (capacity_ > peakCapacity_) peakCapacity_ = capacity_;
    names_.resize(static_cast<size_t>(capacity_) + 1);
    names_[static_cast<size_t>(count_)] = std::move(name);
}

void FileNameArray::finish() {
    if (count_ == 0) {
        names_.assign(1, "");
        capacity_ = 0;
    } else if (count_ < capacity_) {
        names_.resize(static_cast<size_t>(count_) + 1);
        names_.shrink_to_fit();
        capacity_ = count_;
    }
}

namespace {

// fnmatch treats '[' as a set and '\' as an escape; here both are plain characters.
std::string literalBrackets(const std::string& pattern) {
    std::string out;
    for (const char c : pattern) {
        if (c == '[') out += "[[]";
        else out += c;
    }
    return out;
}

bool matches(const std::string& fnPattern, const std::string& name) {
    return ::fnmatch(fnPattern.c_str(), name.c_str(), FNM_CASEFOLD | FNM_NOESCAPE) == 0;
}

}  // namespace

FileNameArray ListFiles(const std::string& folder, const std::string& pattern) {
    FileNameArray files;
    if (folder.empty() || folder.find('\0') != std::string::npos) return files;
    // Step 1: the folder ends with '/'.
    const std::string dir = folder.back() == '/' ? folder : folder + '/';
    // Steps 2-4: every matching entry that is an openable file.
    const std::string fnPattern = literalBrackets(pattern);
    std::error_code ec;
    std::filesystem::directory_iterator it(dir, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (matches(fnPattern, name) && IsExistingFile(dir + name)) files.add(name);
    }
    // Step 5: trim to the count, or the single empty index 0.
    files.finish();
    return files;
}

}  // namespace vts
