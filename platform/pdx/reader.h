// Streams the records of one Paradox table (levels 3.0 to 7.x), block by block.
#pragma once
#include <filesystem>
#include <memory>

#include "platform/pdx/types.h"

namespace pdx {

struct TableInfo {
    std::filesystem::path file;  // the .db as found on disk
    int versionByte = 0;         // header 0x39 (3 = 3.0 ... 0x0C = 7.x)
    std::string levelText;       // "3.0", "3.5", "4.x", "5.x", "7.x"
    Schema schema;
    std::uint32_t recordCount = 0;  // exact: the block chain was walked and agrees with the header
    int blockSizeKiB = 0;
    std::uint8_t changeCount2 = 0;     // header 0x2E, ties a .VAL to its table
    std::uint32_t autoIncCounter = 0;  // header 0x49, the highest autoincrement value handed out
};

class TableReader {
public:
    // Opens the table; throws pdx::Error naming the file for a damaged, foreign or
    // password-protected table ("... is password-protected ...").
    explicit TableReader(const std::filesystem::path& dbFile);
    ~TableReader();
    TableReader(TableReader&&) noexcept;
    TableReader& operator=(TableReader&&) noexcept;

    const TableInfo& info() const;
    // Next record in file order; false at the end. Throws pdx::Error on damage.
    bool next(Record& out);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace pdx
