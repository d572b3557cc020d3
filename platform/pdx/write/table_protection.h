// Password protection of a table the writer has just finished: its .db, .PX and .MB are
// scrambled with the table's key the way the engine scrambles them, in place, before they are
// forced to disk and installed.
#pragma once
#include <cstdint>

#include "platform/pdx/io/staged_file_writer.h"

namespace pdx {

struct ProtectedLayout {
    std::uint16_t dbHeaderSize = 0;
    int dbBlockSize = 0;  // bytes
};

// Stores the key in the headers and scrambles every block (db and px may not be null; px and mb
// may). Throws pdx::Error (the write then fails as a whole).
void protectStagedTable(std::uint32_t key, const ProtectedLayout& layout, StagedFile& db, StagedFile* px,
                        StagedFile* mb);

}  // namespace pdx
