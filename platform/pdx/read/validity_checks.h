// A table's validity checks, as its .VAL file keeps them: per field, whether a value is
// required, its minimum, maximum and default, and its picture. What the file holds beyond these
// (lookup tables, referential integrity, parts this program does not know) is named, not enforced.
#pragma once
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/pdx/format/types.h"

namespace pdx {

struct FieldCheck {
    bool required = false;
    Value minimum, maximum, defaultValue;  // blank where the check sets none
    std::string picture;                   // UTF-8; empty where none
    bool operator==(const FieldCheck&) const = default;
};

struct ValidityChecks {
    std::map<int, FieldCheck> fields;  // by field position, 0 first
    // What the file asks that is not enforced, in plain words, one item each.
    std::vector<std::string> notEnforced;
};

// The checks of the table whose .db is dbFile, with its schema and header byte 0x2E; none when
// it has no .VAL. A .VAL that cannot be read, or that belongs to an earlier structure of the
// table, gives no checks and says so. Never throws for the file's content.
ValidityChecks readValidityChecks(const std::filesystem::path& dbFile, const Schema& schema, std::uint8_t changeCount2);

}  // namespace pdx
