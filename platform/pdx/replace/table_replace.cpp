// TableReplacement and the recovery that settles what a crash left.
#include "platform/pdx/replace/table_replace.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>

#include "platform/pdx/io/family.h"
#include "platform/pdx/replace/replace_journal.h"
#include "platform/pdx/write/writer.h"

namespace pdx {

namespace fs = std::filesystem;

namespace {

constexpr std::chrono::milliseconds kFilesLockWait{5000};
constexpr const char* kStagedMarker = ".vts-new";
constexpr const char* kAsideMarker = ".vts-aside";

void call(const WriteHook& hook) {
    if (hook) hook();
}

// The inode now under `path` (not following a link), 0 when there is nothing. Any other failure
// to look is an error: taken for "nothing", it would turn a finished replacement into an undone one.
std::uint64_t inodeAt(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) return st.st_ino;
    if (errno == ENOENT) return 0;
    throw Error(path.string() + ": cannot look at the file: " + std::strerror(errno));
}

// A link someone else made may point anywhere of ours: only our own links are followed.
bool isOwnLink(const fs::path& file) {
    struct stat st {};
    return ::lstat(file.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && st.st_uid == ::geteuid();
}

void removeFile(const fs::path& path, const WriteHook& hook) {
    call(hook);
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        throw Error(path.string() + ": cannot remove: " + std::strerror(errno));
}

std::set<fs::path> foldersOf(const ReplaceJournal& j) {
    std::set<fs::path> dirs;
    for (const auto* moves : {&j.old, &j.added})
        for (const auto& m : *moves) dirs.insert(m.to.parent_path());
    return dirs;
}

void syncFolders(const std::set<fs::path>& dirs, const WriteHook& hook) {
    for (const auto& d : dirs) {
        call(hook);
        syncFolder(d);
    }
}

std::string printOf(const struct stat& st) {
    return std::to_string(st.st_size) + ":" +
           std::to_string(static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec);
}

// Tells the files of one journal: by inode and print, or, where a copy that keeps times changed
// the inodes (a backup restored with cp -a), by print alone, as long as no old file's print is a
// new file's. A file it cannot place is no one's.
class Generations {
public:
    // `hook` runs before each look at a file, so that tests can fail any of them.
    Generations(const ReplaceJournal& j, WriteHook hook) : j_(j), hook_(std::move(hook)) {
        for (const auto& o : j.old)
            for (const auto& a : j.added) printsTell_ = printsTell_ && (o.print.empty() || o.print != a.print);
    }

    // Whether `path` holds the file the move `m` is about.
    bool holds(const fs::path& path, const JournalMove& m) const {
        call(hook_);
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT) return false;
            throw Error(path.string() + ": cannot look at the file: " + std::strerror(errno));
        }
        const bool samePrint = !m.print.empty() && printOf(st) == m.print;
        if (st.st_ino == m.inode) return m.print.empty() || samePrint;
        return printsTell_ && samePrint;
    }

    // Throws, naming it, when a name of the journal holds a file that none of its moves made or
    // set aside: acting then could put files of two tables together.
    void requireKnown(const fs::path& journal) const {
        for (const auto* moves : {&j_.old, &j_.added})
            for (const auto& m : *moves)
                for (const fs::path& p : {m.from, m.to})
                    if (inodeAt(p) != 0 && !known(p))
                        throw Error(journal.string() + ": a save of the table " + j_.table + " was cut short, but " +
                                    p.string() +
                                    " is not a file that save made or set aside (the folder was copied or "
                                    "restored, or the file changed since), so it cannot be told which table "
                                    "it belongs to. Nothing was changed. \"pdxtool recover --dry-run " +
                                    journal.parent_path().string() +
                                    "\" shows the files; \"pdxtool recover "
                                    "--undo\" puts the table back as it was before that save.");
    }

private:
    bool known(const fs::path& p) const {
        for (const auto* moves : {&j_.old, &j_.added})
            for (const auto& m : *moves)
                if ((m.from == p || m.to == p) && holds(p, m)) return true;
        return false;
    }

    const ReplaceJournal& j_;
    WriteHook hook_;
    bool printsTell_ = true;
};

// Every new file is under its final name: the replacement happened, the old files can go.
bool committed(const ReplaceJournal& j, const Generations& g) {
    return !j.added.empty() &&
           std::all_of(j.added.begin(), j.added.end(), [&](const JournalMove& m) { return g.holds(m.to, m); });
}

void rollForward(const ReplaceJournal& j, const Generations& g, const WriteHook& hook) {
    for (const auto& m : j.old)
        if (g.holds(m.to, m)) removeFile(m.to, hook);
    for (const auto& m : j.added)  // a second name left by the link-and-unlink install
        if (g.holds(m.from, m)) removeFile(m.from, hook);
}

// The new .db goes first and the old .db comes back last, so no reader meets a mixed family.
void rollBack(const ReplaceJournal& j, const Generations& g, const WriteHook& hook) {
    for (auto m = j.added.rbegin(); m != j.added.rend(); ++m) {
        if (g.holds(m->to, *m)) removeFile(m->to, hook);
        if (g.holds(m->from, *m)) removeFile(m->from, hook);
    }
    for (auto m = j.old.rbegin(); m != j.old.rend(); ++m) {
        if (!g.holds(m->to, *m)) continue;
        call(hook);
        if (g.holds(m->from, *m)) removeFile(m->to, hook);
        else renameNoReplace(m->to, m->from);
    }
}

// Brings the folder to the old or the new family, whichever the journal's files show, then
// removes the journal.
void settle(const ReplaceJournal& j, const fs::path& journal, const WriteHook& hook) {
    const Generations g(j, hook);
    if (committed(j, g)) rollForward(j, g, hook);
    else rollBack(j, g, hook);
    syncFolders(foldersOf(j), hook);
    removeFile(journal, hook);
    call(hook);
    syncFolder(journal.parent_path());
}

// A replacement that failed is undone whatever it reached, even with every new file in place (the
// folder could not be forced to disk): a failure reported leaves the old table.
void undo(const ReplaceJournal& j, const fs::path& journal, const WriteHook& hook) {
    rollBack(j, Generations(j, hook), hook);
    syncFolders(foldersOf(j), hook);
    removeFile(journal, hook);
    call(hook);
    syncFolder(journal.parent_path());
}

// "CUSTOMER.MB.vts-new-1a2b3c4d5e6f" -> "CUSTOMER.MB"; empty when the name has no marker.
std::string beforeMarker(const std::string& file, const char* marker) {
    const std::string m = std::string(marker) + "-";
    const auto at = file.rfind(m);
    return at == std::string::npos || at == 0 ? std::string() : file.substr(0, at);
}

}  // namespace

std::string setAsideOriginal(const std::string& file) {
    std::string original = beforeMarker(file, kAsideMarker);
    if (original.empty() && file.ends_with(kAsideMarker))
        original = file.substr(0, file.size() - std::strlen(kAsideMarker));
    return original;
}

namespace {

bool belongsTo(const std::string& file, const std::string& name) {
    return isFamilyFile(file, name) || equalsNoCase(file, name + kJournalSuffix);
}

// Files of unfinished attempts that no journal names: staged new files are removed. A set-aside
// old file without a journal cannot come from us (the journal outlives them); it, and the fixed
// ".vts-aside" names of earlier versions, go back where their name is free, and stay otherwise.
bool clearDebris(const fs::path& folder, const std::string& name, const WriteHook& hook) {
    bool changed = false;
    for (const auto& f : listFolder(folder)) {
        if (const auto staged = beforeMarker(f, kStagedMarker); !staged.empty() && belongsTo(staged, name)) {
            removeFile(folder / f, hook);
            changed = true;
            continue;
        }
        const std::string original = setAsideOriginal(f);
        if (original.empty() || !isFamilyFile(original, name) || inodeAt(folder / original) != 0) continue;
        call(hook);
        renameNoReplace(folder / f, folder / original);
        changed = true;
    }
    return changed;
}

bool isJournalOf(const std::string& file, const std::string& name) {
    return file.ends_with(kJournalSuffix) &&
           equalsNoCase(file.substr(0, file.size() - std::strlen(kJournalSuffix)), name);
}

// The table's folder and the folders its own linked files lie in: where its replacements leave files.
std::set<fs::path> familyFolders(const fs::path& dir, const std::string& name) {
    std::set<fs::path> folders{dir};
    for (const auto& file : findFamily(dir, name)) {
        std::error_code ec;
        if (isOwnLink(file)) folders.insert(fs::canonical(file, ec).parent_path());
    }
    return folders;
}

// A name a replacement of `table` makes: a family file, or the staged or set-aside form of one.
bool replacementName(const std::string& file, const std::string& table) {
    if (const auto staged = beforeMarker(file, kStagedMarker); !staged.empty()) return isFamilyFile(staged, table);
    if (const auto aside = setAsideOriginal(file); !aside.empty()) return isFamilyFile(aside, table);
    return isFamilyFile(file, table);
}

// A folder others may write can hold a journal planted to make this program move or delete files
// anywhere its user may. Recovery acts only on a plain journal of this user, naming only what a
// replacement of that table would make, in the folders of that table.
void checkTrusted(const fs::path& journal, const ReplaceJournal& j, const fs::path& dir, const std::string& name) {
    const std::string what = journal.string() + ": this replacement journal was left alone: ";
    const std::string todo = " Look at it, and remove it if it is not from an interrupted save of yours.";
    struct stat st {};
    if (::lstat(journal.c_str(), &st) != 0) throw Error(what + std::strerror(errno) + "." + todo);
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
        throw Error(what + "it is not a file of this user's (someone else may have put it there)." + todo);
    if (!equalsNoCase(j.table, name)) throw Error(what + "it names another table." + todo);
    const std::set<fs::path> folders = familyFolders(dir, name);
    for (const auto* moves : {&j.old, &j.added})
        for (const auto& m : *moves)
            for (const fs::path& p : {m.from, m.to})
                if (!folders.count(p.parent_path()) || !replacementName(p.filename().string(), name))
                    throw Error(what + "it names " + p.string() + ", which no replacement of " + name +
                                " would touch." + todo);
}

// Whether a replacement of the table left anything to settle: a journal, staged or set-aside files.
bool leftoversOf(const fs::path& dir, const std::string& name) {
    for (const auto& folder : familyFolders(dir, name))
        for (const auto& f : listFolder(folder)) {
            if (folder == dir && isJournalOf(f, name)) return true;
            const std::string staged = beforeMarker(f, kStagedMarker);
            const std::string aside = setAsideOriginal(f);
            if ((!staged.empty() && belongsTo(staged, name)) || (!aside.empty() && isFamilyFile(aside, name)))
                return true;
        }
    return false;
}

// With the writer lock held.
bool recoverLocked(const fs::path& dir, const std::string& name, const WriteHook& hook) {
    bool changed = false;
    for (const auto& f : listFolder(dir)) {
        if (!isJournalOf(f, name)) continue;
        const ReplaceJournal j = readJournal(dir / f);
        checkTrusted(dir / f, j, dir, name);
        Generations(j, hook).requireKnown(dir / f);
        const FamilyLock files(dir, name, FamilyLock::Kind::Files, FamilyLock::Mode::Exclusive, kFilesLockWait);
        settle(j, dir / f, hook);
        changed = true;
    }
    for (const auto& folder : familyFolders(dir, name)) changed = clearDebris(folder, name, hook) || changed;
    return changed;
}

// The kinds of family file a write-back writes again (or drops); any other stays byte for byte.
bool isRewrittenKind(const std::string& extension) {
    std::string e = extension;
    for (char& c : e) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return e == "DB" || e == "MB" || e == "PX" || e == "VAL" || (e.size() == 3 && (e[0] == 'X' || e[0] == 'Y'));
}

// Writable means writable by this user (not merely by someone), in a folder this user may change;
// a file with a second name would be split by the replacement, the other name keeping the old table.
// The .db's permission is the table's; its companions are replaced whatever theirs (they keep it).
void refuseUnreplaceable(const fs::path& file, const struct stat& st, const std::string& name, bool isDb) {
    const std::string table = "The table " + name + " is not replaced: ";
    if (isDb && ((st.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0))
        throw Error(table + file.string() + " is read-only for you. Make it writable (or ask its owner, " +
                    "who may let you write it) and try again.");
    if (::faccessat(AT_FDCWD, file.parent_path().c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        throw Error(table + "you may not change the folder " + file.parent_path().string() + ".");
    if (S_ISREG(st.st_mode) && st.st_nlink > 1)
        throw Error(table + file.string() + " has another name as well (a hard link), which would keep the old " +
                    "table. Replace the other name by a copy, or remove it, and try again.");
}

std::string lowerOrUpper(const std::string& ext, const std::string& like) {
    const bool lower = std::none_of(like.begin(), like.end(), [](unsigned char c) { return std::isupper(c); });
    std::string out = ext;
    for (auto& c : out)
        c = static_cast<char>(lower ? std::tolower(static_cast<unsigned char>(c))
                                    : std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

TableReplacement::TableReplacement(fs::path dir, std::string name, ReplaceOptions opt)
    : dir_(std::move(dir)),
      name_(std::move(name)),
      opt_(std::move(opt)),
      writerLock_(dir_, name_, FamilyLock::Kind::Writer, FamilyLock::Mode::Exclusive, opt_.lockWait) {
    requireReplaceableName(name_);
    recoverLocked(dir_, name_, opt_.beforeCall);
    for (const auto& file : findFamily(dir_, name_)) {
        Member m{file, file.extension().string().substr(1), {}};
        if (!isRewrittenKind(m.extension)) continue;  // .TV, .FAM ...: another program's, kept as they are
        std::error_code ec;
        if (fs::is_symlink(file, ec) && !isOwnLink(file))
            throw Error(file.string() + " is a link made by another user, so the table " + name_ +
                        " is not written through it. Replace the link by the file itself, or remove it, and "
                        "try again.");
        if (fs::is_symlink(file, ec)) m.real = fs::canonical(file, ec);
        if (ec) throw Error(file.string() + ": cannot follow the link: " + ec.message());
        if (::lstat(m.real.c_str(), &m.st) != 0) throw Error(m.real.string() + ": " + std::strerror(errno));
        old_.push_back(std::move(m));
    }
    for (const Member& m : old_) refuseUnreplaceable(m.real, m.st, name_, equalsNoCase(m.extension, "db"));
}

TableReplacement::~TableReplacement() = default;

void TableReplacement::call() const { pdx::call(opt_.beforeCall); }

const TableReplacement::Member* TableReplacement::member(const std::string& extension) const {
    for (const auto& m : old_)
        if (equalsNoCase(m.extension, extension)) return &m;
    return nullptr;
}

std::optional<fs::path> TableReplacement::oldFile(const std::string& extension) const {
    if (const Member* m = member(extension)) return m->real;
    return std::nullopt;
}

FileTarget TableReplacement::place(const std::string& extension) const {
    if (const Member* m = member(extension)) return {m->real, m->st.st_mode & 07777, m->st.st_uid, m->st.st_gid};
    if (old_.empty()) return {dir_ / (name_ + "." + extension)};
    const Member& db = old_.front();
    const fs::path file =
        db.real.parent_path() / (db.real.stem().string() + "." + lowerOrUpper(extension, db.extension));
    return {file, db.st.st_mode & 0666, db.st.st_uid, db.st.st_gid};
}

void TableReplacement::commit(TableWriter& writer) {
    ReplaceJournal j{name_, {}, {}};
    for (const auto& m : old_)
        j.old.push_back({m.st.st_ino, m.real, uniqueSibling(m.real, kAsideMarker), printOf(m.st)});
    const auto staged = writer.stagedFiles();
    for (const StagedFile* f : staged) {
        struct stat st {};
        call();
        if (::lstat(f->tempPath().c_str(), &st) != 0 || st.st_ino != f->inode())
            throw Error(f->tempPath().string() + ": the file written is no longer there");
        j.added.push_back({f->inode(), f->tempPath(), f->finalPath(), printOf(st)});
    }
    const fs::path journal = journalPath(dir_, name_);

    const FamilyLock files(dir_, name_, FamilyLock::Kind::Files, FamilyLock::Mode::Exclusive, kFilesLockWait);
    try {
        writeJournal(journal, j, opt_.beforeCall);
        for (const auto& m : j.old) {
            call();
            renameNoReplace(m.from, m.to);
        }
        for (const auto& m : j.added) {
            call();
            renameNoReplace(m.from, m.to);
        }
        // Saved means on disk: a folder that cannot be forced there fails the write-back, and the
        // edits stay with the user.
        syncFolders(foldersOf(j), opt_.beforeCall);
    } catch (const std::exception& e) {
        std::string message = e.what();
        try {
            undo(j, journal, opt_.beforeCall);
        } catch (const std::exception& undo) {
            message += " The earlier table could not be put back yet (" + std::string(undo.what()) +
                       "); it will be when the folder is next opened.";
        }
        throw Error(message);
    }
    for (StagedFile* f : staged) f->markInstalled();
    try {
        settle(j, journal, opt_.beforeCall);  // the new family is in place: removes the old files
    } catch (const std::exception&) {
        // Left for recovery; the new table is in place and that is what counts.
    }
}

void requireReplaceableName(const std::string& name) {
    constexpr std::size_t kLongest = 255 - std::char_traits<char>::length(".XG0.vts-aside-000000000000");
    if (name.size() > kLongest)
        throw Error("The name of the table " + name + " is " + std::to_string(name.size()) +
                    " bytes long; a table written back may have at most " + std::to_string(kLongest) +
                    ". Rename the table's files to a shorter name and open it again.");
}

bool replacementLeftovers(const fs::path& dir, const std::string& name) { return leftoversOf(dir, name); }

std::string recoveryPlan(const fs::path& dir, const std::string& name) {
    try {
        for (const auto& f : listFolder(dir)) {
            if (!isJournalOf(f, name)) continue;
            const ReplaceJournal j = readJournal(dir / f);
            checkTrusted(dir / f, j, dir, name);
            const Generations g(j, {});
            g.requireKnown(dir / f);
            return committed(j, g) ? "finishes the save that was cut short: the new table is whole in place, the "
                                     "old files set aside are removed"
                                   : "undoes the save that was cut short: the files set aside are put back, the "
                                     "new files removed";
        }
        return leftoversOf(dir, name) ? "removes the files of a save that was cut short before it changed the table"
                                      : "nothing to do";
    } catch (const std::exception& e) {
        return std::string("cannot settle it: ") + e.what();
    }
}

std::vector<std::string> leftoverTables(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& f : listFolder(dir)) {
        std::string base = f;
        if (auto b = beforeMarker(f, kStagedMarker); !b.empty()) base = b;
        if (auto b = setAsideOriginal(f); !b.empty()) base = b;
        if (base == f && !f.ends_with(kJournalSuffix)) continue;
        names.insert(fs::path(base).stem().string());
    }
    return {names.begin(), names.end()};
}

bool recoverTable(const fs::path& dir, const std::string& name, const WriteHook& hook) {
    // Opening a sound table leaves no trace in its folder: the lock is taken only where there is
    // something to settle.
    if (!leftoversOf(dir, name)) return false;
    const FamilyLock writer = FamilyLock::tryTake(dir, name, FamilyLock::Kind::Writer, FamilyLock::Mode::Exclusive);
    if (!writer.held()) return false;  // being written right now, or a folder we may not change
    return recoverLocked(dir, name, hook);
}

std::vector<std::string> recoverFolder(const fs::path& dir) noexcept {
    std::vector<std::string> changed;
    try {
        for (const auto& name : leftoverTables(dir)) {
            try {
                if (recoverTable(dir, name)) changed.push_back(name);
            } catch (const std::exception&) {
                // Stays as it is; opening that table reports why.
            }
        }
    } catch (const std::exception&) {}
    return changed;
}

}  // namespace pdx
