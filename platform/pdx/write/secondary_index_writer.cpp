// SecondaryIndexWriter: collects one entry per record, orders the entries, writes them into the
// chained blocks of the index table and builds its tree with the primary index's writer.
#include "platform/pdx/write/secondary_index_writer.h"

#include <optional>

#include "platform/pdx/format/index_fold.h"
#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/pdx/write/block_writer.h"
#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/codepage.h"
#include "platform/pdx/write/index_entry_order.h"
#include "platform/pdx/format/index_header.h"
#include "platform/pdx/write/index_layout.h"
#include "platform/pdx/format/index_order.h"
#include "platform/pdx/format/sort_order.h"
#include "platform/pdx/write/px_writer.h"
#include "platform/pdx/write/schema_writer.h"

namespace pdx {

namespace {

void storeWord(std::uint64_t v, std::uint8_t* p) {
    const auto w = static_cast<std::uint16_t>(v ^ 0x8000);
    p[0] = static_cast<std::uint8_t>(w >> 8);
    p[1] = static_cast<std::uint8_t>(w);
}

IndexLayout layoutOrThrow(const SecondaryIndexDef& def, const Schema& s, const std::string& table) {
    auto l = layoutFor(def, s);
    if (auto* why = std::get_if<std::string>(&l))
        throw Error("the index " + def.extension + " of " + table + " cannot be kept: " + *why);
    return std::get<IndexLayout>(std::move(l));
}

// An .Xnn is named after its field's number (two hex digits), in the letter case found on disk.
std::string newExtension(const SecondaryIndexDef& def, const IndexLayout& l) {
    if (def.group()) return def.extension;
    static constexpr char kUpper[] = "0123456789ABCDEF";
    static constexpr char kLower[] = "0123456789abcdef";
    const bool lower = def.extension[0] == 'x';
    const char* digits = lower ? kLower : kUpper;
    const int n = l.fieldNumbers.front();
    return std::string(1, def.extension[0]) + digits[(n >> 4) & 0xF] + digits[n & 0xF];
}

bool holdsAutoInc(const std::vector<Field>& fields) {
    return std::any_of(fields.begin(), fields.end(), [](const Field& f) { return f.type == FieldType::AutoInc; });
}

}  // namespace

IndexPlan planSecondaryIndexes(const std::vector<SecondaryIndexDef>& defs, const Schema& schema) {
    IndexPlan plan;
    const Schema s = withSortOrder(schema);
    for (const SecondaryIndexDef& d : defs) {
        const auto l = layoutFor(d, s);
        if (const auto* why = std::get_if<std::string>(&l)) plan.dropped.push_back({d.extension, *why});
        else if (s.keyFields == 0 && d.maintained())
            plan.dropped.push_back({d.extension,
                                    "no table at hand shows how a maintained index of a table without "
                                    "a key points at its records"});
        else plan.kept.push_back(d);
    }
    return plan;
}

bool indexMayNeedKeptOrder(const SecondaryIndexDef& def, const Schema& schema) {
    const Schema s = withSortOrder(schema);
    const auto l = layoutFor(def, s);
    const auto* layout = std::get_if<IndexLayout>(&l);
    if (!layout) return false;
    const bool text = std::any_of(layout->indexed.begin(), layout->indexed.end(),
                                  [](const Field& f) { return f.type == FieldType::Alpha; });
    return text && (def.caseInsensitive() || !fieldsOrderByBytes(layout->indexed, s.sortOrderId));
}

struct SecondaryIndexWriter::Impl {
    SecondaryIndexDef def;
    Schema schema;
    std::string table;
    const KeptOrder* kept;
    TextPlacement placement;
    IndexLayout layout;
    std::string ext;
    Schema indexSchema;  // the index table as a keyed table, for its header
    Bytes rows;          // one index record per table record, in table order
    std::uint32_t count = 0;
    bool plainFold = true;          // every case-insensitive value orders alike whichever way letters fold
    std::optional<IndexFold> fold;  // case-insensitive indexes hold their text folded
    std::unique_ptr<BlockWriter> x;
    std::unique_ptr<StagedFile> y;
    std::uint8_t versionByte = 0x0B;  // the table's, from write()

    Impl(SecondaryIndexDef d, const Schema& s, std::string t, const KeptOrder* k, TextPlacement p)
        : def(std::move(d)),
          schema(withSortOrder(s)),
          table(std::move(t)),
          kept(k),
          placement(p),
          layout(layoutOrThrow(def, schema, table)),
          ext(newExtension(def, layout)) {
        indexSchema.fields = layout.fields;
        indexSchema.keyFields = layout.comparedFields;
        indexSchema.codePage = schema.codePage;
        indexSchema.sortOrder = schema.sortOrder;
        indexSchema.sortOrderId = schema.sortOrderId;
        if (def.caseInsensitive()) fold.emplace(schema.codePage, schema.sortOrderId);
    }

    std::string treeExt() const { return std::string(1, ext[0] == 'x' ? 'y' : 'Y') + ext.substr(1); }
    void add(const std::uint8_t* record, const RecordPlace& place);
    IndexHeaderFields indexHeader(const IndexStamp& stamp, CodePage& codePage) const;
    void writeTable(const FileTarget& target, const WriteHook& hook, const std::vector<std::uint32_t>& order,
                    const IndexStamp& stamp);
    void writeTree(const FileTarget& target, const WriteHook& hook, const std::vector<std::uint32_t>& order);
    void write(const FileTarget& xt, const FileTarget& yt, const WriteHook& hook, const IndexStamp& stamp);
};

void SecondaryIndexWriter::Impl::add(const std::uint8_t* record, const RecordPlace& place) {
    if (x) throw Error("internal error: a record was added to the index " + ext + " of " + table + " after writing");
    if (count == std::numeric_limits<std::uint32_t>::max()) throw Error("the table " + table + " has too many records");
    const std::size_t at = rows.size();
    rows.resize(at + layout.recordSize);
    std::uint8_t* e = rows.data() + at;
    for (std::size_t i = 0; i < layout.indexed.size(); ++i) {
        const auto size = static_cast<std::size_t>(fieldStorageSize(layout.indexed[i].type, layout.indexed[i].size));
        std::memcpy(e, record + layout.offsets[i], size);
        if (fold && layout.indexed[i].type == FieldType::Alpha) fold->foldText(e, size);
        e += size;
    }
    if (layout.keyed) {
        std::memcpy(e, record, layout.tableKeyBytes);
        storeWord(place.block, e + layout.tableKeyBytes);
    } else {
        const auto tuple = encodeLong(place.tupleNumber);
        std::memcpy(e, tuple.data(), tuple.size());
        storeWord(place.block, e + 4);
        storeWord(place.tupleOffset, e + 6);
    }
    if (def.caseInsensitive() && !foldIsPlain(layout.indexed, rows.data() + at)) plainFold = false;
    ++count;
}

IndexHeaderFields SecondaryIndexWriter::Impl::indexHeader(const IndexStamp& stamp, CodePage& codePage) const {
    IndexHeaderFields h;
    h.table = headerFields(indexSchema, table, codePage);
    h.table.tableName = headerTableName(table + "." + ext, codePage);
    h.table.recordSize = static_cast<std::uint16_t>(layout.recordSize);
    h.table.changeCount2 = stamp.changeCount2;
    h.table.autoInc = holdsAutoInc(layout.fields) ? stamp.autoInc : 0;  // as the engine's files show
    h.table.updateTime = stamp.updateTime;
    h.table.versionByte = stamp.versionByte;
    h.fileType = static_cast<std::uint8_t>(def.fileType);
    for (std::size_t i = 0; i < layout.fieldNumbers.size(); ++i)
        h.fieldNumbers.push_back(layout.fieldNumbers[i] | (layout.descending[i] ? 0x8000 : 0));
    try {
        h.name = codePage.encode(def.name);
    } catch (const Error& e) {
        throw Error("the index " + ext + " of " + table + ": its name cannot be written: " + e.what());
    }
    h.flags = def.flags;
    return h;
}

void SecondaryIndexWriter::Impl::writeTable(const FileTarget& target, const WriteHook& hook,
                                            const std::vector<std::uint32_t>& order, const IndexStamp& stamp) {
    CodePage codePage(schema.codePage, schema.sortOrderId);
    IndexHeaderFields h = indexHeader(stamp, codePage);
    const int rs = static_cast<int>(layout.recordSize);
    h.table.blockSizeKiB = keyedBlockKiB(rs, count);
    x = std::make_unique<BlockWriter>(target, hook, static_cast<std::uint16_t>(indexTableHeaderSize(h)), rs,
                                      h.table.blockSizeKiB);
    for (std::uint32_t i : order) x->add(rows.data() + static_cast<std::size_t>(i) * layout.recordSize);
    x->finish();
    h.table.numRecords = x->records();
    h.table.blocks = x->blocks();
    h.table.blockSizeKiB = x->blockSizeKiB();
    const auto header = buildIndexTableHeader(h);
    x->file().patch(0, header.data(), header.size());
    x->file().flush();
}

// Every block but the last is full, so block b starts with ordered entry b * capacity.
void SecondaryIndexWriter::Impl::writeTree(const FileTarget& target, const WriteHook& hook,
                                           const std::vector<std::uint32_t>& order) {
    CodePage codePage(schema.codePage, schema.sortOrderId);
    PxSource src;
    src.keyFields.assign(layout.fields.begin(), layout.fields.begin() + layout.comparedFields);
    src.tableName = headerTableName(table + "." + treeExt(), codePage);
    src.sortOrder = schema.sortOrder;
    src.keySize = layout.comparedBytes;
    src.fileType = def.group() ? 7 : 4;
    src.versionByte = versionByte;
    const auto cap =
        static_cast<std::size_t>(BlockWriter::capacity(x->blockSizeKiB(), static_cast<int>(layout.recordSize)));
    for (std::size_t first = 0; first < order.size(); first += cap) {
        const std::uint8_t* key = rows.data() + static_cast<std::size_t>(order[first]) * layout.recordSize;
        src.firstKeys.insert(src.firstKeys.end(), key, key + layout.comparedBytes);
        src.recordCounts.push_back(static_cast<std::uint32_t>(std::min(cap, order.size() - first)));
    }
    y = std::make_unique<StagedFile>(target, hook);
    writePrimaryIndex(*y, src);
    y->flush();
}

void SecondaryIndexWriter::Impl::write(const FileTarget& xt, const FileTarget& yt, const WriteHook& hook,
                                       const IndexStamp& stamp) {
    if (x) throw Error("internal error: the index " + ext + " of " + table + " was written twice");
    versionByte = stamp.versionByte;
    EntryOrder entryOrder{def, layout, schema, table, ext};
    const std::vector<std::uint32_t> order = entryOrder.order(rows, count, plainFold, kept, placement);
    writeTable(xt, hook, order, stamp);
    writeTree(yt, hook, order);
    Bytes().swap(rows);
}

SecondaryIndexWriter::SecondaryIndexWriter(SecondaryIndexDef def, const Schema& schema, std::string tableName,
                                           const KeptOrder* kept, TextPlacement placement)
    : impl_(std::make_unique<Impl>(std::move(def), schema, std::move(tableName), kept, placement)) {}

SecondaryIndexWriter::~SecondaryIndexWriter() = default;

const std::string& SecondaryIndexWriter::extension() const { return impl_->ext; }
std::string SecondaryIndexWriter::treeExtension() const { return impl_->treeExt(); }

void SecondaryIndexWriter::add(const std::uint8_t* record, const RecordPlace& place) { impl_->add(record, place); }

void SecondaryIndexWriter::write(const FileTarget& x, const FileTarget& y, const WriteHook& hook,
                                 const IndexStamp& stamp) {
    impl_->write(x, y, hook, stamp);
}

std::vector<StagedFile*> SecondaryIndexWriter::stagedFiles() {
    if (!impl_->x || !impl_->y) throw Error("internal error: the index " + impl_->ext + " is not written yet");
    return {&impl_->x->file(), impl_->y.get()};
}

void addWrittenRecords(const StagedFile& db, const WrittenTable& t, const std::vector<SecondaryIndexWriter*>& writers) {
    if (writers.empty()) return;
    const auto blockSize = static_cast<std::size_t>(t.blockSizeKiB) * 1024;
    std::vector<std::uint8_t> block(blockSize);
    std::int32_t tuple = 0;
    for (std::uint16_t b = 1; b <= t.blocks && b != 0; ++b) {
        db.readAt(t.headerSize + static_cast<std::uint64_t>(b - 1) * blockSize, block.data(), blockSize);
        const int lastOff = static_cast<std::int16_t>(loadLE16(block.data() + 4));
        const int records = lastOff < 0 ? 0 : lastOff / t.recordSize + 1;
        for (int i = 0; i < records; ++i) {
            const RecordPlace place{b, ++tuple, static_cast<std::uint16_t>(i * t.recordSize)};
            for (SecondaryIndexWriter* w : writers) w->add(block.data() + 6 + i * t.recordSize, place);
        }
    }
}

}  // namespace pdx
