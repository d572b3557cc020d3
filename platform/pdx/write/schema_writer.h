// Checks a table schema before anything is written and derives the layout decisions
// (block sizes, key size, header names) of a level-5 table.
#pragma once
#include <cstddef>
#include <string>

#include "platform/pdx/format/codepage.h"
#include "platform/pdx/format/header_writer.h"
#include "platform/pdx/format/types.h"

namespace pdx {

// Tables from before level 4 carry no sort order: they get the binary order of their code
// page ("DBWINUS0" for 1252, "ascii" otherwise), under which key order is byte order.
Schema withSortOrder(Schema schema);

// Throws pdx::Error naming the table (and field) for anything a level-5 table cannot hold.
void checkSchema(const Schema& schema, const std::string& tableName);

bool hasBlobField(const Schema& schema);
int recordBytes(const Schema& schema);
int keyBytes(const Schema& schema);
std::string keyDescription(const Schema& schema);  // "key field Id" / "key fields A, B"

// 2 KiB blocks unless the record needs 4 KiB ones; keyed tables also take 4 KiB blocks when
// 2 KiB ones would number beyond 32767.
int smallestBlockKiB(int recordSize);
int keyedBlockKiB(int recordSize, std::size_t records);

// The table-name item of a header ("CUSTOMER.db"): informative only, so characters the code
// page lacks become '_' and an over-long name is cut rather than failing the write.
std::string headerTableName(const std::string& fileName, CodePage& codePage);

// Header items known before the first record: schema, names in the code page.
DbHeaderFields headerFields(const Schema& schema, const std::string& tableName, CodePage& codePage);

}  // namespace pdx
