// Locating and opening a family for a check.
#include "platform/pdx/check/check_family.h"

#include <chrono>

#include "platform/pdx/io/family.h"
#include "platform/pdx/io/family_lock.h"
#include "platform/pdx/format/name_case.h"
#include "platform/pdx/format/types.h"

namespace fs = std::filesystem;

namespace pdx {

namespace {

void open(CheckedFile& f, CheckFindings& out) {
    if (!f.found) return;
    try {
        f.file.emplace(f.path);
    } catch (const Error& e) {
        out.fault(atFile(f.path), e.what());
    }
}

CheckedFile companion(const fs::path& dbFile, const std::string& ext, CheckFindings& out) {
    CheckedFile f;
    f.path = fs::path(dbFile).replace_extension("." + ext);
    try {
        if (const auto hit = findCompanion(dbFile, ext)) {
            f.path = *hit;
            f.found = true;
        }
    } catch (const Error& e) {
        out.fault(atFile(f.path), e.what());
    }
    open(f, out);
    return f;
}

bool isSecondaryIndexFile(const fs::path& file) {
    const std::string ext = upperExtension(file);
    return ext.size() >= 3 && (ext[0] == 'X' || ext[0] == 'Y');
}

// The files of the table as they are now; a fault where one cannot be opened.
CheckFamily openFiles(const fs::path& dbFile, const fs::path& dir, CheckFindings& out) {
    CheckFamily fam;
    fam.db.path = dbFile;
    fam.db.found = true;
    open(fam.db, out);
    if (!fam.db.file) return fam;
    fam.mb = companion(dbFile, "MB", out);
    fam.px = companion(dbFile, "PX", out);
    try {
        for (const fs::path& f : findFamily(dir, dbFile.stem().string())) {
            if (!isSecondaryIndexFile(f)) continue;
            CheckedFile s{dbFile.parent_path() / f.filename(), true, std::nullopt};
            open(s, out);
            fam.secondary.push_back(std::move(s));
        }
    } catch (const Error& e) {
        out.fault(atFile(dir), e.what());
    }
    return fam;
}

}  // namespace

std::string upperExtension(const fs::path& file) {
    const std::string ext = file.extension().string();
    return upperName(ext.empty() ? ext : ext.substr(1));
}

CheckFamily openCheckFamily(const fs::path& dbFile, CheckFindings& out) {
    const fs::path dir = dbFile.parent_path().empty() ? fs::path(".") : dbFile.parent_path();
    const bool lockFile = FamilyLock::fileExists(dir);
    for (int attempt = 0;; ++attempt) {
        std::optional<FamilyLock> lock;
        try {
            lock.emplace(dir, dbFile.stem().string(), FamilyLock::Kind::Files, FamilyLock::Mode::Shared,
                         std::chrono::milliseconds(10000));
        } catch (const Error& e) {
            out.fault(atFile(dbFile), e.what());
            return {};
        }
        CheckFindings found;
        CheckFamily fam = openFiles(dbFile, dir, found);
        if (attempt == 0 && !lockFile && FamilyLock::fileExists(dir)) continue;  // a writer began: again
        for (CheckFinding& f : found.take(dbFile)) out.add(std::move(f));
        return fam;
    }
}

}  // namespace pdx
