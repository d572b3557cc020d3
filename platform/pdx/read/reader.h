// Streams the records of one Paradox table (levels 3.0 to 7.x), block by block.
#pragma once
#include <filesystem>
#include <memory>

#include "platform/pdx/format/types.h"

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
    std::uint32_t key = 0;             // non-zero: password-protected, its blocks scrambled with this key
};

// How a password-protected table is opened: with its password, checked against the key its
// header keeps; or, for the program's own rewrite of a table it has opened that way, with that key.
struct Unlock {
    std::string password;  // UTF-8, taken in the table's code page
    bool storedKey = false;
};

class TableReader {
public:
    // Opens the table; throws pdx::Error naming the file for a damaged or foreign table, for a
    // password-protected one opened without its password (kPasswordMessage) and for a wrong
    // password (kWrongPasswordMessage).
    explicit TableReader(const std::filesystem::path& dbFile, const Unlock& unlock = {});
    ~TableReader();
    TableReader(TableReader&&) noexcept;
    TableReader& operator=(TableReader&&) noexcept;

    const TableInfo& info() const;
    // Next record in file order; false at the end. Throws pdx::Error on damage.
    bool next(Record& out);

private:
    struct Impl;
    static std::unique_ptr<Impl> openOneGeneration(const std::filesystem::path& dbFile, const Unlock& unlock);
    std::unique_ptr<Impl> impl_;
};

inline constexpr const char* kWrongPasswordMessage = "the password is not the table's password";

// True when the table is password-protected (read from its header only). Throws pdx::Error
// naming the file when the header cannot be read.
bool isPasswordProtected(const std::filesystem::path& dbFile);

}  // namespace pdx
