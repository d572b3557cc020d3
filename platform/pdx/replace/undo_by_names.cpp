#include "platform/pdx/replace/undo_by_names.h"

#include <algorithm>
#include <map>

#include "platform/pdx/io/family.h"
#include "platform/pdx/io/family_lock.h"
#include "platform/pdx/replace/replace_journal.h"
#include "platform/pdx/replace/table_replace.h"
#include "platform/pdx/format/name_case.h"
#include "platform/pdx/io/staged_file_writer.h"
#include "platform/pdx/format/types.h"

namespace pdx {

namespace fs = std::filesystem;

namespace {

// Original name -> its set-aside copy.
std::map<fs::path, fs::path> setAsideFiles(const fs::path& dir, const std::string& name) {
    std::map<fs::path, fs::path> asides;
    for (const auto& f : listFolder(dir)) {
        const std::string original = setAsideOriginal(f);
        if (original.empty() || !isFamilyFile(original, name)) continue;
        if (!asides.emplace(dir / original, dir / f).second)
            throw Error("There are two set-aside copies of " + original + " in " + dir.string() +
                        ", so which one belongs to the table cannot be told. Move one of them elsewhere and try "
                        "again.");
    }
    return asides;
}

}  // namespace

std::vector<std::string> undoByNames(const fs::path& dir, const std::string& name, bool dryRun) {
    const FamilyLock writer(dir, name, FamilyLock::Kind::Writer, FamilyLock::Mode::Exclusive,
                            std::chrono::milliseconds(0));
    auto asides = setAsideFiles(dir, name);
    std::vector<fs::path> kept;
    std::vector<std::string> done;
    // The .db is the first file a save sets aside and the first it removes once the new table is
    // in place: set-aside files without it are what a finished save had still to remove.
    const bool finished = !asides.empty() && std::none_of(asides.begin(), asides.end(), [](const auto& a) {
        return equalsNoCase(a.first.extension().string(), ".db");
    });
    if (finished) {
        done.push_back("the save had finished: the table in place is the saved one");
        for (const auto& a : asides) kept.push_back(a.second);
        asides.clear();
    } else if (std::any_of(asides.begin(), asides.end(),
                           [](const auto& a) { return fs::exists(fs::symlink_status(a.first)); })) {
        kept = findFamily(dir, name);  // installing had begun: every file in place is the save's
    }
    for (const auto& f : listFolder(dir))
        if (equalsNoCase(f, name + kJournalSuffix)) kept.push_back(dir / f);
    for (const auto& file : kept) {
        const fs::path to = uniqueSibling(file, ".vts-kept");
        done.push_back(file.filename().string() + " kept as " + to.filename().string());
        if (!dryRun) renameNoReplace(file, to);
    }
    for (const auto& [original, aside] : asides) {
        done.push_back(original.filename().string() + " put back from " + aside.filename().string());
        if (!dryRun) renameNoReplace(aside, original);
    }
    if (!dryRun) syncFolder(dir);
    return done;
}

}  // namespace pdx
