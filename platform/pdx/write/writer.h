// Writes a level 5.x table (.db, .MB, .PX, secondary indexes) under temporary names; nothing is
// visible until install().
#pragma once
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "platform/pdx/read/secondary_index.h"
#include "platform/pdx/write/secondary_index_writer.h"
#include "platform/pdx/io/staged_file_writer.h"
#include "platform/pdx/format/types.h"

namespace pdx {

struct WriterOptions {
    // A .VAL to keep beside the new table (only when the field list is unchanged)
    // and the table stamp (header 0x2E) it belongs to.
    std::optional<std::filesystem::path> keepVal;
    std::optional<std::uint8_t> changeCount2;
    // The counter of the table this one replaces: never set back below it, or numbers of
    // deleted records, which other tables may still refer to, would be handed out again.
    std::uint32_t autoIncFloor = 0;
    // The table this one replaces, whose key order a keyed table keeps where its sort order is
    // not one the engine places keys by (keys it did not have are then refused).
    std::optional<std::filesystem::path> keyOrderFrom;
    // Secondary indexes to write again for the new table (readSecondaryIndexes of the table this
    // one replaces, whose index files must still be in place until finish()). Those the new
    // schema cannot carry are left out (droppedIndexes() says which and why); the others keep
    // the order of their old file wherever this program cannot order their values itself.
    std::vector<SecondaryIndexDef> secondaryIndexes;
    // Non-zero: the table is written password-protected with this key (keyFromPassword).
    std::uint32_t key = 0;
    // The level (header version byte) and block size of the table this one replaces, kept where
    // the new table fits them (writtenVersion); 0: level 5, blocks as small as the records allow.
    std::uint8_t versionByte = 0;
    int blockSizeKiB = 0;
    // Test hook: called before every file-system call; throwing simulates an I/O error.
    WriteHook beforeWrite;
    // Where each file goes, by extension ("db", "MB", "PX", "VAL", "X06", "YG0" ...), and its
    // mode; unset: dir/tableName.ext with the umask's mode.
    std::function<FileTarget(const std::string& extension)> place;
};

class TableWriter {
public:
    // tableName is the file's base name ("CUSTOMER" gives CUSTOMER.db). Throws pdx::Error for
    // an invalid schema.
    TableWriter(std::filesystem::path dir, std::string tableName, Schema schema, WriterOptions opt = {});
    ~TableWriter();  // removes the temporary files unless installed

    // Throws pdx::Error naming table, row (1-based) and field when a value does not fit.
    void append(const Record& r);
    // Writes the remaining blocks, the .MB and the .PX, and flushes them to disk.
    void finish();
    // Renames the finished files into place (tableName.db ...) where no file of the table's
    // family is; replacing a table is TableReplacement's work.
    void install();
    // The finished files, companions first and the .db last, for whoever installs them.
    std::vector<StagedFile*> stagedFiles();
    // The secondary indexes of WriterOptions the new table does not carry, with the reason.
    const std::vector<DroppedIndex>& droppedIndexes() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace pdx
