// pdxtool copy: the whole family of a table (every index, the .VAL, view files) byte for byte,
// under the destination's name as given. The source is opened first, so a table that cannot be
// read (a wrong password) is not copied.
#include <algorithm>

#include "platform/pdx/io/family.h"
#include "platform/pdx/format/name_case.h"
#include "platform/pdx/read/reader.h"
#include "platform/pdx/io/staged_file_writer.h"
#include "tools/pdxtool/commands.h"

namespace pdxtool {

namespace fs = std::filesystem;

namespace {

// Files copied under temporary names, put in place together or removed.
class StagedCopies {
public:
    // Whatever did not get in place goes, and so does what did when the .db did not follow.
    ~StagedCopies() {
        if (installed_ == files_.size()) return;
        std::error_code ec;
        for (std::size_t i = 0; i < files_.size(); ++i)
            fs::remove(i < installed_ ? files_[i].second : files_[i].first, ec);
    }
    void add(const fs::path& from, const fs::path& to) {
        const fs::path temp = pdx::uniqueSibling(to, ".vts-new");
        files_.emplace_back(temp, to);
        fs::copy_file(from, temp);
    }
    // The .db goes last: a reader never meets it without its companions.
    void install() {
        std::stable_partition(files_.begin(), files_.end(),
                              [](const auto& f) { return !pdx::equalsNoCase(f.second.extension().string(), ".db"); });
        for (; installed_ < files_.size(); ++installed_)
            pdx::renameNoReplace(files_[installed_].first, files_[installed_].second);
        pdx::syncFolder(files_.front().second.parent_path());
    }

private:
    std::vector<std::pair<fs::path, fs::path>> files_;
    std::size_t installed_ = 0;
};

}  // namespace

void runCopy(const fs::path& source, const pdx::Unlock& unlock, const fs::path& destination) {
    pdx::TableReader reader(source, unlock);
    const fs::path dir = destination.parent_path().empty() ? fs::path(".") : destination.parent_path();
    const std::string name = destination.stem().string();
    // Never replace an existing table: the copy goes only where nothing of that name lives.
    if (!pdx::findFamily(dir, name).empty())
        throw pdx::Error(destination.string() + ": a table of that name already exists");
    const fs::path from = source.parent_path().empty() ? fs::path(".") : source.parent_path();
    StagedCopies copies;
    for (const auto& file : pdx::findFamily(from, source.stem().string())) {
        const std::string extension = file.extension().string();
        copies.add(file, pdx::equalsNoCase(extension, ".db") ? dir / destination.filename() : dir / (name + extension));
    }
    copies.install();
}

}  // namespace pdxtool
