// Writes a secondary index (.Xnn/.XGn and its tree .Ynn/.YGn) again for a table being written,
// from the index's definition and every record of the new table, so that programs that open the
// table through the index keep finding its records.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/pdx/read/secondary_index.h"
#include "platform/pdx/format/sort_order.h"
#include "platform/pdx/io/staged_file_writer.h"
#include "platform/pdx/format/text_collation.h"
#include "platform/pdx/format/types.h"

namespace pdx {

// Where a record of the new table lies in its .db file.
struct RecordPlace {
    std::uint16_t block = 0;        // 1-based .db block number ("Blk Num")
    std::int32_t tupleNumber = 0;   // unkeyed tables: 1-based number of the record in chain order
    std::uint16_t tupleOffset = 0;  // unkeyed tables: offset of the record after the block header
};

struct DroppedIndex {
    std::string extension;  // as the index was found: "X06", "XG0"
    std::string reason;     // "its field \"City\" is no longer in the table"
};

// The indexes a table with the new schema can still carry, and the others with the reason.
struct IndexPlan {
    std::vector<SecondaryIndexDef> kept;
    std::vector<DroppedIndex> dropped;
};
IndexPlan planSecondaryIndexes(const std::vector<SecondaryIndexDef>& defs, const Schema& schema);

// True when writing the index for a table with `schema` may need the order of its old file
// (keptOrderOf): it holds Alpha text under a sort order this program does not compare by bytes,
// or it is case-insensitive.
bool indexMayNeedKeptOrder(const SecondaryIndexDef& def, const Schema& schema);

// Facts of the finished table that its index headers repeat.
struct IndexStamp {
    std::uint8_t changeCount2 = 1;  // the table's 0x2E
    std::uint32_t autoInc = 0;      // the table's 0x49
    std::uint32_t updateTime = 0;   // Unix seconds
    std::uint8_t versionByte = 0x0B;
};

class SecondaryIndexWriter {
public:
    // `schema` is the new table's (sort order filled in), `tableName` its base name ("CUSTOMER").
    // `kept` (built with keptOrderOf from the index as it was; must outlive write()) places the
    // values wherever this program cannot order them itself: Alpha fields under a sort order it
    // does not compare by bytes, or case-insensitive text beyond plain ASCII letters, unless
    // `placement` (must outlive write()) has candidates that agree where each value goes. Throws
    // pdx::Error when the new table cannot carry the index (planSecondaryIndexes says why).
    SecondaryIndexWriter(SecondaryIndexDef def, const Schema& schema, std::string tableName,
                         const KeptOrder* kept = nullptr, TextPlacement placement = {});
    ~SecondaryIndexWriter();
    SecondaryIndexWriter(const SecondaryIndexWriter&) = delete;
    SecondaryIndexWriter& operator=(const SecondaryIndexWriter&) = delete;

    // Extensions of the new files: an .Xnn follows its field's new number ("X05"), an .XGn keeps its own.
    const std::string& extension() const;
    std::string treeExtension() const;

    // Every record of the new table, in its final order, as stored in the .db.
    void add(const std::uint8_t* record, const RecordPlace& place);
    // Orders the entries and writes the index table and its tree under temporary names (flushed,
    // not yet synced). Throws pdx::Error naming index, table and value when a value cannot be
    // placed, or when a unique index would hold a value twice.
    void write(const FileTarget& x, const FileTarget& y, const WriteHook& hook, const IndexStamp& stamp);
    // The two files after write(): the index table, then its tree.
    std::vector<StagedFile*> stagedFiles();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Layout of a .db just written by BlockWriter: blocks 1..blocks chained in order.
struct WrittenTable {
    std::uint16_t headerSize = 0;
    int recordSize = 0;
    int blockSizeKiB = 0;
    std::uint16_t blocks = 0;
};

// Feeds every record of the staged .db (flushed) to each writer with its place.
void addWrittenRecords(const StagedFile& db, const WrittenTable& layout,
                       const std::vector<SecondaryIndexWriter*>& writers);

}  // namespace pdx
