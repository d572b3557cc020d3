// The intent record of a table replacement: every old file with the name it is set aside under,
// every new file with the name it is installed under, each known by its inode. It is on disk
// before the first rename, so whatever a crash interrupts can be finished or undone.
#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/pdx/io/staged_file_writer.h"

namespace pdx {

struct JournalMove {
    std::uint64_t inode = 0;
    std::filesystem::path from;  // old file: its name in place; new file: its staged name
    std::filesystem::path to;    // old file: its set-aside name; new file: its name in place
    // "size:mtime-ns", which a copy that keeps times keeps where it changes the inode (empty in
    // journals of earlier versions).
    std::string print;
};

struct ReplaceJournal {
    std::string table;
    std::vector<JournalMove> old;    // set aside in this order: the .db first
    std::vector<JournalMove> added;  // installed in this order: the .db last
};

constexpr const char* kJournalSuffix = ".vts-journal";

// dir/table.vts-journal
std::filesystem::path journalPath(const std::filesystem::path& dir, const std::string& table);

// Writes the journal under a temporary name, forces it to disk and renames it into place, so a
// journal under its own name is always whole. Paths inside dir are stored by name alone.
void writeJournal(const std::filesystem::path& file, const ReplaceJournal& journal, const WriteHook& hook);

// Throws pdx::Error when the file is not a whole journal of ours.
ReplaceJournal readJournal(const std::filesystem::path& file);

}  // namespace pdx
