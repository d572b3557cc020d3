// TableWriter: checks the schema, streams records into blocks (keyed tables are sorted
// first), then writes the header, .MB, .PX, kept .VAL and secondary indexes under temporary names.
#include "platform/pdx/write/writer.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/pdx/write/block_writer.h"
#include "platform/pdx/format/codepage.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/format/header_writer.h"
#include "platform/pdx/write/existing_orders.h"
#include "platform/pdx/write/key_sort_writer.h"
#include "platform/pdx/write/mb_writer.h"
#include "platform/pdx/write/px_writer.h"
#include "platform/pdx/write/record_writer.h"
#include "platform/pdx/write/schema_writer.h"
#include "platform/pdx/write/secondary_index_writer.h"
#include "platform/pdx/io/staged_file_writer.h"
#include "platform/pdx/write/table_protection.h"

namespace pdx {

namespace fs = std::filesystem;

namespace {

Schema checked(Schema s, const std::string& table) {
    s = withSortOrder(std::move(s));
    checkSchema(s, table);
    return s;
}

// The secondary indexes of a protected table are left out: whether its engine scrambles them is
// not known, and plain ones would show the indexed values to anyone.
IndexPlan planIndexes(const WriterOptions& opt, const Schema& schema) {
    if (!opt.key) return planSecondaryIndexes(opt.secondaryIndexes, schema);
    IndexPlan plan;
    for (const auto& d : opt.secondaryIndexes)
        plan.dropped.push_back({d.extension, "the indexes of a password-protected table are not written again"});
    return plan;
}

DbHeaderFields atLevel(DbHeaderFields h, std::uint8_t version) {
    h.versionByte = version;
    return h;
}

// The block size of the table being replaced where its level has that size, it holds a record
// and a keyed table's block numbers stay within what readers follow (keyedBlockKiB); else `chosen`.
int keptBlockKiB(const WriterOptions& opt, std::uint8_t version, int chosen, int recordSize,
                 std::optional<std::size_t> keyedRecords) {
    const int kib = opt.blockSizeKiB;
    const bool levelHasIt = version >= kLevel7Version
                                ? (kib == 1 || kib == 2 || kib == 4 || kib == 8 || kib == 16 || kib == 32)
                                : kib >= 1 && kib <= 4;
    if (!levelHasIt || BlockWriter::capacity(kib, recordSize) < 1) return chosen;
    const auto cap = static_cast<std::size_t>(BlockWriter::capacity(kib, recordSize));
    if (keyedRecords && (*keyedRecords + cap - 1) / cap > 0x7FFF) return chosen;
    return kib;
}

}  // namespace

struct TableWriter::Impl {
    enum class State { Open, Finished, Installed, Failed };

    fs::path dir;
    std::string name;
    Schema schema;
    WriterOptions opt;
    CodePage codePage;
    DbHeaderFields header;
    std::unique_ptr<MbWriter> mb;
    RecordEncoder encoder;
    std::size_t recordSize;
    std::size_t keySize;
    std::uint16_t headerSize;
    std::unique_ptr<BlockWriter> blocks;  // unkeyed: from the start; keyed: in finish()
    std::unique_ptr<StagedFile> px;
    std::unique_ptr<StagedFile> val;
    IndexPlan indexes;  // the secondary indexes to write again, and those left out
    std::vector<std::unique_ptr<SecondaryIndexWriter>> indexWriters;
    std::optional<TextWeights> weights;
    ExistingOrders existing;  // the order of the replaced table's keys and kept indexes
    std::optional<ValueCollation> keyCollation;
    TextPlacement placement;           // the candidate collations the table's existing order leaves
    KeyedRows rows;                    // keyed: every encoded record, to sort
    std::vector<std::uint32_t> order;  // keyed: record indexes in key order
    std::vector<std::uint8_t> row;
    std::uint64_t appended = 0;          // append() calls, for row numbers in messages
    std::vector<std::uint64_t> refused;  // append() calls whose record was refused
    State state = State::Open;

    Impl(fs::path d, std::string n, Schema s, WriterOptions o)
        : dir(std::move(d)),
          name(std::move(n)),
          schema(checked(std::move(s), name)),
          opt(std::move(o)),
          codePage(schema.codePage, schema.sortOrderId),
          header(atLevel(headerFields(schema, name, codePage),
                         writtenVersion(opt.versionByte, schema, opt.secondaryIndexes.empty() && !opt.key))),
          mb(hasBlobField(schema) ? std::make_unique<MbWriter>(target("MB"), opt.beforeWrite) : nullptr),
          encoder(schema, name, codePage, mb.get()),
          recordSize(static_cast<std::size_t>(encoder.recordSize())),
          keySize(static_cast<std::size_t>(keyBytes(schema))),
          headerSize(static_cast<std::uint16_t>(dbHeaderSize(header))),
          indexes(planIndexes(opt, schema)),
          rows(recordSize, keySize),
          row(recordSize) {
        header.recordSize = static_cast<std::uint16_t>(recordSize);
        if (!keyed())
            blocks = std::make_unique<BlockWriter>(
                target("db"), opt.beforeWrite, headerSize, encoder.recordSize(),
                keptBlockKiB(opt, header.versionByte, smallestBlockKiB(encoder.recordSize()), encoder.recordSize(),
                             {}));
    }

    bool keyed() const { return schema.keyFields > 0; }
    FileTarget target(const std::string& ext) const {
        return opt.place ? opt.place(ext) : FileTarget(dir / (name + "." + ext));
    }
    std::uint64_t rowNumber(std::size_t keptIndex) const;

    void append(const Record& r);
    void readPlacement();
    std::optional<std::vector<std::uint32_t>> keyOrder(KeyedRows::Conflict& conflict) const;
    void sortKeyed();
    void writeKeyedBlocks();
    void writeIndex();
    void writeSecondaryIndexes();
    void copyVal();
    void writeHeader();
    void finish();
    void install();
    std::vector<StagedFile*> companions() const;
    void requireState(State s, const char* what) const;
};

void TableWriter::Impl::requireState(State s, const char* what) const {
    if (state == State::Failed)
        throw Error("the table " + name + " could not be written; " + what + " is not possible");
    if (state != s) throw Error(std::string("internal error: ") + what + " out of order for table " + name);
}

// A refused value leaves the writer as it was; a failure after that (disk) ends it.
void TableWriter::Impl::append(const Record& r) {
    requireState(State::Open, "adding a record");
    ++appended;
    std::uint8_t* dst = row.data();
    if (keyed()) {
        if (rows.size() >= 0xFFFFFFFFu) throw Error("the table " + name + " has too many records");
        dst = rows.add();
    }
    try {
        encoder.encode(r, appended, dst);
    } catch (...) {
        if (keyed()) rows.dropLast();
        refused.push_back(appended);
        throw;
    }
    try {
        encoder.storeBlobs(dst);
        if (!keyed()) blocks->add(dst);
    } catch (...) {
        state = State::Failed;
        throw;
    }
}

// The append() call that gave the kept record with this index (refused records have none).
std::uint64_t TableWriter::Impl::rowNumber(std::size_t keptIndex) const {
    std::uint64_t n = keptIndex + 1;
    for (std::uint64_t r : refused)
        if (r <= n) ++n;
    return n;
}

// New text goes where every candidate collation the replaced table's order leaves agrees.
void TableWriter::Impl::readPlacement() {
    weights.emplace(schema.codePage, schema.sortOrderId);
    existing = readExistingOrders(opt.keyOrderFrom, schema, indexes.kept, *weights);
    if (keyed()) keyCollation.emplace(*weights, keyFieldsOf(schema));
    placement = {&*weights, existing.alive};
}

// Under a sort order the engine does not implement, keys go where every candidate collation the
// table's order leaves agrees, or else where the earlier table had them; a key neither places
// cannot be written, since an index that contradicts the sort order makes its engine miss records.
std::optional<std::vector<std::uint32_t>> TableWriter::Impl::keyOrder(KeyedRows::Conflict& conflict) const {
    if (keyOrdersByBytes(schema) || rows.size() < 2) return rows.sortedOrder(nullptr, conflict);
    if (placement.any()) return rows.sortedBy(*keyCollation, placement.alive, conflict);
    if (!existing.key)
        throw Error("table " + name + ": its sort order " + schema.sortOrderId +
                    " is not one this program can place keys by, and no earlier table gives their order");
    return rows.sortedOrder(&*existing.key, conflict);
}

void TableWriter::Impl::sortKeyed() {
    KeyedRows::Conflict conflict;
    if (auto sorted = keyOrder(conflict)) {
        order = std::move(*sorted);
        return;
    }
    if (conflict.disputed)
        throw Error("table " + name + ", rows " + std::to_string(rowNumber(conflict.first)) + " and " +
                    std::to_string(rowNumber(conflict.second)) + ": under the table's sort order " +
                    schema.sortOrderId + " their values of the " + keyDescription(schema) +
                    " may come either way round, and the table's existing order does not tell which");
    if (conflict.unplaced())
        throw Error("table " + name + ", row " + std::to_string(rowNumber(conflict.first)) + ": the value of the " +
                    keyDescription(schema) + " was changed, and the table's sort order " + schema.sortOrderId +
                    " is not one this program can place keys by");
    throw Error("table " + name + ": rows " + std::to_string(rowNumber(conflict.first)) + " and " +
                std::to_string(rowNumber(conflict.second)) + " have the same value in the " + keyDescription(schema));
}

void TableWriter::Impl::writeKeyedBlocks() {
    sortKeyed();
    const int rs = static_cast<int>(recordSize);
    blocks = std::make_unique<BlockWriter>(
        target("db"), opt.beforeWrite, headerSize, rs,
        keptBlockKiB(opt, header.versionByte, keyedBlockKiB(rs, rows.size()), rs, rows.size()));
    for (std::uint32_t i : order) blocks->add(rows.row(i));
}

// Every block but the last is full, so block b starts with sorted record b * capacity.
void TableWriter::Impl::writeIndex() {
    PxSource src;
    src.keyFields.assign(schema.fields.begin(), schema.fields.begin() + schema.keyFields);
    src.tableName = headerTableName(name + ".PX", codePage);
    src.sortOrder = schema.sortOrder;
    src.keySize = keySize;
    src.versionByte = header.versionByte;
    const std::size_t n = rows.size();
    const auto cap =
        static_cast<std::size_t>(BlockWriter::capacity(blocks->blockSizeKiB(), static_cast<int>(recordSize)));
    for (std::size_t first = 0; first < n; first += cap) {
        const std::uint8_t* key = rows.row(order[first]);
        src.firstKeys.insert(src.firstKeys.end(), key, key + keySize);
        src.recordCounts.push_back(static_cast<std::uint32_t>(std::min(cap, n - first)));
    }
    px = std::make_unique<StagedFile>(target("PX"), opt.beforeWrite);
    writePrimaryIndex(*px, src);
}

// From the finished blocks, so every entry points where its record really is.
void TableWriter::Impl::writeSecondaryIndexes() {
    std::vector<SecondaryIndexWriter*> writers;
    for (std::size_t i = 0; i < indexes.kept.size(); ++i) {
        const bool needsKept = indexMayNeedKeptOrder(indexes.kept[i], schema);
        indexWriters.push_back(std::make_unique<SecondaryIndexWriter>(
            indexes.kept[i], schema, name, needsKept ? &existing.indexes[i] : nullptr, placement));
        writers.push_back(indexWriters.back().get());
    }
    // The indexes of a table without a key are never maintained: they go out empty, out of date
    // the way their engine leaves them and rebuilds them when used, since no table at hand shows
    // how their entries point at records.
    if (keyed())
        addWrittenRecords(blocks->file(),
                          {headerSize, static_cast<int>(recordSize), blocks->blockSizeKiB(), blocks->blocks()},
                          writers);
    const IndexStamp stamp{header.changeCount2, header.autoInc, header.updateTime, header.versionByte};
    for (SecondaryIndexWriter* w : writers)
        w->write(target(w->extension()), target(w->treeExtension()), opt.beforeWrite, stamp);
}

void TableWriter::Impl::copyVal() {
    std::ifstream in(*opt.keepVal, std::ios::binary);
    if (!in) throw Error("cannot read the validity file " + opt.keepVal->string());
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw Error("cannot read the validity file " + opt.keepVal->string());
    val = std::make_unique<StagedFile>(target("VAL"), opt.beforeWrite);
    val->append(bytes.data(), bytes.size());
    // Byte 0 of a .VAL is the stamp of the table it belongs to.
    if (!opt.changeCount2 && !bytes.empty()) header.changeCount2 = bytes[0];
}

void TableWriter::Impl::writeHeader() {
    header.numRecords = blocks->records();
    header.blocks = blocks->blocks();
    header.blockSizeKiB = blocks->blockSizeKiB();
    header.autoInc = std::max(encoder.maxAutoInc(), opt.autoIncFloor);
    header.updateTime = static_cast<std::uint32_t>(std::time(nullptr));
    const auto bytes = buildDbHeader(header);
    blocks->file().patch(0, bytes.data(), bytes.size());
}

std::vector<StagedFile*> TableWriter::Impl::companions() const {
    std::vector<StagedFile*> files;
    if (mb) files.push_back(&mb->file());
    if (px) files.push_back(px.get());
    if (val) files.push_back(val.get());
    for (const auto& w : indexWriters)
        for (StagedFile* f : w->stagedFiles()) files.push_back(f);
    return files;
}

void TableWriter::Impl::finish() {
    requireState(State::Open, "finishing");
    try {
        readPlacement();
        if (keyed()) writeKeyedBlocks();
        blocks->finish();
        if (opt.changeCount2) header.changeCount2 = *opt.changeCount2;
        if (opt.keepVal) copyVal();
        writeHeader();
        if (mb) mb->finish();
        if (keyed()) writeIndex();
        if (!indexes.kept.empty()) writeSecondaryIndexes();
        if (opt.key)
            protectStagedTable(opt.key, {headerSize, blocks->blockSizeKiB() * 1024}, blocks->file(), px.get(),
                               mb ? &mb->file() : nullptr);
        blocks->file().sync();
        for (StagedFile* f : companions()) f->sync();
    } catch (...) {
        state = State::Failed;
        throw;
    }
    rows.clear();
    std::vector<std::uint32_t>().swap(order);
    state = State::Finished;
}

// Companions first, the .db last: an interruption leaves no new table or a complete one.
void TableWriter::Impl::install() {
    requireState(State::Finished, "installing");
    // Any file of the table's family still here would be replaced or outlive the new table.
    if (const auto left = findFamily(dir, name); !left.empty())
        throw Error("cannot install the new table " + name + ": " + left.front().string() +
                    " is still there (the earlier table must be moved aside first)");
    std::vector<StagedFile*> done;
    try {
        for (StagedFile* f : companions()) {
            f->install();
            done.push_back(f);
        }
        blocks->file().install();
        done.push_back(&blocks->file());
        syncFolder(dir);
    } catch (...) {
        for (StagedFile* f : done) f->uninstall();
        state = State::Failed;
        throw;
    }
    state = State::Installed;
}

TableWriter::TableWriter(fs::path dir, std::string tableName, Schema schema, WriterOptions opt)
    : impl_(std::make_unique<Impl>(std::move(dir), std::move(tableName), std::move(schema), std::move(opt))) {}

TableWriter::~TableWriter() = default;

void TableWriter::append(const Record& r) { impl_->append(r); }
void TableWriter::finish() { impl_->finish(); }
void TableWriter::install() { impl_->install(); }

const std::vector<DroppedIndex>& TableWriter::droppedIndexes() const { return impl_->indexes.dropped; }

std::vector<StagedFile*> TableWriter::stagedFiles() {
    impl_->requireState(Impl::State::Finished, "installing");
    auto files = impl_->companions();
    files.push_back(&impl_->blocks->file());
    return files;
}

}  // namespace pdx
