// Secondary indexes of a table (.Xnn/.XGn with their trees .Ynn/.YGn): the structure of each
// index file, its tree over its entries, and its entries against the table's records.
#pragma once
#include <string>
#include <vector>

#include "platform/pdx/check/check_chain.h"
#include "platform/pdx/check/check_family.h"
#include "platform/pdx/check/check_findings.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/io/input_file.h"

namespace pdx {

struct SecondaryCheckInput {
    const InputFile& db;
    const TableHeader& header;
    const ChainLayout& layout;
    const std::vector<CheckedBlock>& chain;
    const std::vector<std::string>& fieldNames;
    const std::vector<CheckedFile>& files;  // the family's .Xnn .XGn .Ynn .YGn files
};

void checkSecondaryIndexes(const SecondaryCheckInput& in, CheckFindings& out);

}  // namespace pdx
