// Checks on every record of a table: key order and uniqueness, values the reader refuses
// (logical and BCD bytes), the autoincrement counter against the values, and blob references.
#pragma once
#include <string>
#include <vector>

#include "platform/pdx/check/check_blob_refs.h"
#include "platform/pdx/check/check_chain.h"
#include "platform/pdx/check/check_findings.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/check/index_tree.h"
#include "platform/pdx/io/input_file.h"

namespace pdx {

struct RecordCheckInput {
    const InputFile& db;
    const TableHeader& header;
    const ChainLayout& layout;
    const std::vector<CheckedBlock>& chain;
    const std::vector<std::string>& fieldNames;  // UTF-8, one per field
    BlobRefCheck& blobs;
};

struct RecordCheckResult {
    std::vector<IndexedBlock> blocks;  // the chain with each block's first key (keyed tables)
    bool byteOrder = true;             // the keys were checked to ascend by bytes
};

RecordCheckResult checkRecords(const RecordCheckInput& in, CheckFindings& out);

}  // namespace pdx
