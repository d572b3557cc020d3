// The primary index (.PX) of a keyed table: its header against the table's key, then its tree
// against the table's blocks.
#pragma once
#include <filesystem>

#include "platform/pdx/check/check_findings.h"
#include "platform/pdx/check/check_records.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/io/input_file.h"

namespace pdx {

void checkPrimaryIndex(const InputFile& px, const std::filesystem::path& dbFile, const TableHeader& db,
                       const RecordCheckResult& records, CheckFindings& out);

}  // namespace pdx
