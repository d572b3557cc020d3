// Replacing a table family (.db .MB .PX .VAL .Xnn ...) as one operation that survives a crash or
// an I/O error at any point: afterwards the folder holds the whole old family or the whole new
// one, never a mix, never neither, and no debris.
//
// The way: an exclusive lock for the whole replacement; the new files written under private
// names and forced to disk; a journal naming every old and new file forced to disk before the
// first rename; old files set aside (.db first), new ones installed (.db last); the journal
// and the set-aside files removed. Whoever finds a journal later finishes (every new file is
// in place) or undoes (otherwise) what it describes.
//
// The states, what holds in each, and the step that leaves it (before S1 the new files are being
// written under private names, and a crash there leaves what it leaves in S1):
//   S1 Staged     the old family in place; the new files whole and on disk under private names;
//                 no journal. A crash leaves the old table (recovery removes the staged files).
//                 Left by: the journal, written whole and forced to disk under its own name.
//   S2 Journaled  as S1, and a journal that names every old and new file. Left by: the first
//                 set-aside rename (the .db first, so that no reader sees a family without it).
//   S3 Moving     some old files set aside, some new ones installed; the journal says which is
//                 which. Recovery finishes when every new file is in place, else undoes. Left
//                 by: the last install (the .db last).
//   S4 Installed  the whole new family in place, forced to disk with its folder; the journal and
//                 the set-aside files remain. Recovery only removes them. Left by: removing the
//                 journal; trouble from here on is not reported, since the new table stands.
//   S5 Done       the new family alone, no debris.
// Invariants in every state: (I1) the folder holds either the whole old family or the whole new
// one, or a journal that tells recovery how to reach one of them; (I2) no file outside the family,
// its staged files, its set-aside files and the journal is touched; (I3) the lock is held from S1
// to S5, so no second writer and no reader under the lock sees S2 to S4.
#pragma once
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/pdx/io/family_lock.h"
#include "platform/pdx/io/staged_file_writer.h"

namespace pdx {

class TableWriter;

struct ReplaceOptions {
    WriteHook beforeCall;                      // before every file-system call (tests)
    std::chrono::milliseconds lockWait{3000};  // how long a second writer waits
};

class TableReplacement {
public:
    // Takes the table's writer lock, finishes or undoes what an earlier attempt left, and looks
    // at the family in place. Throws pdx::Error when another writer holds the table, when the
    // table is read-only, or when an earlier attempt cannot be settled.
    TableReplacement(std::filesystem::path dir, std::string name, ReplaceOptions opt = {});
    ~TableReplacement();
    TableReplacement(const TableReplacement&) = delete;
    TableReplacement& operator=(const TableReplacement&) = delete;

    // The file of the family in place with this extension (any letter case), past symbolic links.
    std::optional<std::filesystem::path> oldFile(const std::string& extension) const;
    // Where the new file with this extension goes: over the old one of that extension (where a
    // link points, with its mode and owner), else beside the old table file, named like it.
    FileTarget place(const std::string& extension) const;

    // Puts the writer's finished files in place of the old family. Once this returns the new
    // table is in place; trouble after that point (removing the old files) is left to recovery
    // and not reported. On failure the old family is back in place before the error is thrown.
    void commit(TableWriter& writer);

private:
    struct Member {
        std::filesystem::path real;  // past symbolic links
        std::string extension;       // as on disk, without the dot
        struct stat st;
    };
    const Member* member(const std::string& extension) const;
    void call() const;

    std::filesystem::path dir_;
    std::string name_;
    ReplaceOptions opt_;
    FamilyLock writerLock_;
    std::vector<Member> old_;  // the .db first
};

// Throws Error when a replacement of the table `name` would make a file name longer than a file
// system allows (its set-aside files add 27 bytes to the longest family file name).
void requireReplaceableName(const std::string& name);

// Whether a replacement of `name` in dir left anything to settle: a journal, staged or set-aside files.
bool replacementLeftovers(const std::filesystem::path& dir, const std::string& name);
// The tables of dir with such leftovers, by name.
std::vector<std::string> leftoverTables(const std::filesystem::path& dir);
// "CUSTOMER.MB" for a set-aside "CUSTOMER.MB.vts-aside-1a2b3c4d5e6f"; empty for any other name.
std::string setAsideOriginal(const std::string& file);
// What recoverTable would do with the table's leftovers, in words, or why it cannot; changes nothing.
std::string recoveryPlan(const std::filesystem::path& dir, const std::string& name);

// Finishes or undoes a replacement of `name` in dir that was cut short, and removes the debris
// of unfinished attempts. Does nothing while another writer holds the table. Returns true when
// it changed anything; throws pdx::Error when an earlier attempt cannot be settled.
bool recoverTable(const std::filesystem::path& dir, const std::string& name, const WriteHook& hook = {});

// recoverTable for every table of dir that shows signs of an unfinished replacement. Never
// throws: a table it cannot settle stays as it is. Returns the names it changed.
std::vector<std::string> recoverFolder(const std::filesystem::path& dir) noexcept;

}  // namespace pdx
