// Damage planted in copies of fixture tables: each fault is found, at the right place, and
// nothing else is reported for it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/check/table_check.h"
#include "tests/support/fixture_copy.h"
#include "tests/platform/pdx/check/check_test_support.h"
#include "tests/platform/pdx/pdx_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using pdx::CheckFinding;
using pdx::CheckLocation;

using Bytes = std::vector<std::uint8_t>;

using pdxtest::fixture;
using pdxtest::listing;
using pdxtest::put16;
using pdxtest::put32;
using pdxtest::readBytes;
using pdxtest::writeBytes;

// Index entry words (block numbers, counts) are stored like Short values.
void putWord(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>((v ^ 0x8000) >> 8);
    b[at + 1] = static_cast<std::uint8_t>(v);
}

constexpr std::size_t kHeader = 0x800;  // every fixture used here has 2 KiB headers and blocks
constexpr std::size_t kBlock = 2048;
std::size_t blockAt(int n) { return kHeader + static_cast<std::size_t>(n - 1) * kBlock; }
std::size_t recordAt(int block, int record, std::size_t recordSize) {
    return blockAt(block) + 6 + static_cast<std::size_t>(record - 1) * recordSize;
}
constexpr std::size_t kOrdersRecord = 71;
constexpr std::size_t kOrdersPxEntry = 14;  // 8-byte Number key + 6
std::size_t ordersPxEntry(int i) { return blockAt(1) + 6 + static_cast<std::size_t>(i - 1) * kOrdersPxEntry; }

class CheckDamage : public ::testing::Test {
protected:
    vts::test::TempDir dir;
    int copies = 0;

    // A fresh copy of the fixture family of `table`; returns the copied .db.
    fs::path copy(const std::string& table) {
        const fs::path sub = dir / ("copy" + std::to_string(++copies));
        return vts::test::copyFamily(fixture(table), sub);
    }

    // Changes the bytes of the family file with extension `ext` next to db.
    template <class Patch>
    static void patch(const fs::path& db, const std::string& ext, Patch change) {
        const fs::path file = fs::path(db).replace_extension(ext);
        Bytes bytes = readBytes(file);
        change(bytes);
        writeBytes(file, bytes);
    }

    // Exactly one fault, at `where`, whose text holds `text`.
    static void expectOnlyFault(const pdx::TableCheckResult& r, const CheckLocation& where, const std::string& text) {
        std::vector<CheckFinding> faults;
        for (const CheckFinding& f : r.findings)
            if (f.kind == CheckFinding::Kind::Fault) faults.push_back(f);
        ASSERT_EQ(faults.size(), 1u) << listing(r);
        expectAt(faults[0], where, text);
    }

    static void expectAt(const CheckFinding& f, const CheckLocation& where, const std::string& text) {
        EXPECT_EQ(pdx::describeLocation(f.where), pdx::describeLocation(where)) << pdx::formatFinding(f);
        EXPECT_NE(f.what.find(text), std::string::npos) << pdx::formatFinding(f);
    }

    // Some fault is at `where` and holds `text`.
    static void expectFault(const pdx::TableCheckResult& r, const CheckLocation& where, const std::string& text) {
        for (const CheckFinding& f : r.findings)
            if (f.kind == CheckFinding::Kind::Fault && pdx::describeLocation(f.where) == pdx::describeLocation(where) &&
                f.what.find(text) != std::string::npos)
                return;
        ADD_FAILURE() << "no fault at " << pdx::describeLocation(where) << " saying \"" << text << "\" in\n"
                      << listing(r);
    }
};

TEST_F(CheckDamage, SwappedRecordsBreakTheKeyOrder) {
    const fs::path db = copy("db/ORDERS.DB");
    patch(db, ".DB", [](Bytes& b) {
        std::swap_ranges(b.begin() + recordAt(2, 3, kOrdersRecord), b.begin() + recordAt(2, 4, kOrdersRecord),
                         b.begin() + recordAt(2, 4, kOrdersRecord));
    });
    const auto r = pdx::checkTable(db);
    expectOnlyFault(r, pdx::atRecord(db, 2, 4, 32), "out of key order");
    EXPECT_NE(r.findings[0].what.find("1031"), std::string::npos) << "the key is shown as its value";
}

TEST_F(CheckDamage, DuplicateKeysAreFoundUnderEverySortOrder) {
    // HERCULES has a text key under ANSII850, whose order is not checked: duplicates still are.
    const fs::path db = copy("db/HERCULES.DB");
    patch(db, ".DB",
          [](Bytes& b) { std::copy_n(b.begin() + recordAt(1, 1, 190), 80, b.begin() + recordAt(1, 3, 190)); });
    const auto r = pdx::checkTable(db);
    expectFault(r, pdx::atRecord(db, 1, 3, 3), "repeats the key of row 1");
    // CUSTOMER's key is a number, in the same order under every sort order: checked in full.
    const fs::path customer = copy("db/CUSTOMER.DB");
    patch(customer, ".DB",
          [](Bytes& b) { std::copy_n(b.begin() + recordAt(1, 1, 394), 4, b.begin() + recordAt(1, 3, 394)); });
    expectFault(pdx::checkTable(customer), pdx::atRecord(customer, 1, 3, 3), "out of key order");
    // Equal keys in ORDERS ("ascii") are a fault of the order check.
    const fs::path orders = copy("db/ORDERS.DB");
    patch(orders, ".DB", [](Bytes& b) {
        std::copy_n(b.begin() + recordAt(3, 1, kOrdersRecord), 8, b.begin() + recordAt(3, 2, kOrdersRecord));
    });
    expectOnlyFault(pdx::checkTable(orders), pdx::atRecord(orders, 3, 2, 58), "repeats the key");
}

TEST_F(CheckDamage, RecordCountInTheHeaderOffByOne) {
    const fs::path db = copy("db/CUSTOMER.DB");
    patch(db, ".DB", [](Bytes& b) { put32(b, 0x06, 21); });
    expectOnlyFault(pdx::checkTable(db), pdx::atFile(db),
                    "the header (0x06) counts 21 records, the block chain holds 20");
}

TEST_F(CheckDamage, BlockChainLoop) {
    const fs::path db = copy("db/ORDERS.DB");
    patch(db, ".DB", [](Bytes& b) { put16(b, blockAt(5), 2); });
    const auto r = pdx::checkTable(db);
    ASSERT_FALSE(r.findings.empty());
    expectAt(r.findings[0], pdx::atBlock(db, 5), "leads back to block 2 (the chain loops)");
    expectFault(r, pdx::atFile(db), "the block chain holds 140");
    // The blocks cut off are still indexed: the .PX entries now point outside the chain.
    expectFault(r, pdx::atEntry(fs::path(db).replace_extension(".PX"), 1, 6), "not in that file's block chain");
}

TEST_F(CheckDamage, BrokenBlockHeadersAndChainPointers) {
    const fs::path badCount = copy("db/ORDERS.DB");
    patch(badCount, ".DB", [](Bytes& b) { put16(b, blockAt(3) + 4, 5); });
    expectFault(pdx::checkTable(badCount), pdx::atBlock(badCount, 3), "record count in the block header is invalid");

    const fs::path farAway = copy("db/ORDERS.DB");
    patch(farAway, ".DB", [](Bytes& b) { put16(b, blockAt(6), 500); });
    expectFault(pdx::checkTable(farAway), pdx::atBlock(farAway, 6), "leads to block 500, but the file holds 8 blocks");

    const fs::path backPointer = copy("db/ORDERS.DB");
    patch(backPointer, ".DB", [](Bytes& b) { put16(b, blockAt(4) + 2, 1); });
    expectOnlyFault(pdx::checkTable(backPointer), pdx::atBlock(backPointer, 4), "the chain comes from block 3");

    const fs::path cut = copy("db/ORDERS.DB");
    patch(cut, ".DB", [](Bytes& b) { b.resize(recordAt(8, 10, kOrdersRecord) + 5); });
    expectFault(pdx::checkTable(cut), pdx::atBlock(cut, 8), "9 of its 28 records are present");
}

TEST_F(CheckDamage, MissingPrimaryIndexEntry) {
    // The last leaf entry (for block 8) is dropped, and the header's entry count with it.
    const fs::path db = copy("db/ORDERS.DB");
    patch(db, ".PX", [](Bytes& b) {
        put32(b, 0x06, 7);
        put16(b, blockAt(1) + 4, 6 * kOrdersPxEntry);
    });
    expectOnlyFault(pdx::checkTable(db), pdx::atBlock(db, 8), "ORDERS.PX has no entry for this block (28 records)");
}

TEST_F(CheckDamage, WrongPrimaryIndexEntries) {
    const fs::path db = copy("db/ORDERS.DB");
    const fs::path px = fs::path(db).replace_extension(".PX");
    patch(db, ".PX", [](Bytes& b) {
        putWord(b, ordersPxEntry(3) + 10, 27);  // record count
        b[ordersPxEntry(5) + 7] ^= 1;           // first key
    });
    const auto r = pdx::checkTable(db);
    expectFault(r, pdx::atEntry(px, 1, 3), "the entry counts 27 records, ORDERS.DB block 3 holds 28");
    expectFault(r, pdx::atEntry(px, 1, 5), "differs from the first key");
    EXPECT_EQ(r.faults, 2u) << listing(r);

    const fs::path twice = copy("db/ORDERS.DB");
    patch(twice, ".PX", [](Bytes& b) { putWord(b, ordersPxEntry(4) + 8, 2); });
    const auto r2 = pdx::checkTable(twice);
    expectFault(r2, pdx::atEntry(fs::path(twice).replace_extension(".PX"), 1, 4), "entry 2 already covers");
    expectFault(r2, pdx::atBlock(twice, 4), "has no entry for this block");
}

TEST_F(CheckDamage, MissingIndexAndBlobFiles) {
    const fs::path orders = copy("db/ORDERS.DB");
    fs::remove(fs::path(orders).replace_extension(".PX"));
    expectOnlyFault(pdx::checkTable(orders), pdx::atFile(fs::path(orders).replace_extension(".PX")),
                    "primary index file is missing");

    const fs::path memo = copy("fields/memo.db");
    fs::remove(fs::path(memo).replace_extension(".mb"));
    const auto r = pdx::checkTable(memo);
    ASSERT_EQ(r.faults, 1u) << listing(r);
    EXPECT_NE(r.findings[0].what.find("which is missing"), std::string::npos) << listing(r);
    EXPECT_EQ(r.findings[0].where.block, 1u);
}

class BlobDamage : public CheckDamage {
protected:
    // The copied memo.db and the offset of record 1's blob descriptor tail.
    fs::path db;
    std::size_t tail = 0;
    std::string field;

    void SetUp() override {
        db = copy("fields/memo.db");
        const Bytes bytes = readBytes(db);
        const pdx::TableHeader h = pdx::parseTableHeader(bytes.data(), bytes.size());
        const pdx::HeaderField& memo = h.fields[1];
        ASSERT_EQ(memo.type, pdx::FieldType::Memo);
        tail = recordAt(1, 1, static_cast<std::size_t>(h.recordSize)) +
               static_cast<std::size_t>(memo.offset + memo.size) - 10;
        field = memo.rawName;
    }
};

TEST_F(BlobDamage, LocatorBeyondTheEndOfTheBlobFile) {
    patch(db, ".db", [&](Bytes& b) { put32(b, tail, 0x100000FF); });
    expectOnlyFault(pdx::checkTable(db), pdx::atRecord(db, 1, 1, 1, field), "points beyond the end of memo.mb");
}

TEST_F(BlobDamage, LocatorAtTheWrongSlotOrLength) {
    patch(db, ".db", [&](Bytes& b) { b[tail] = 0x3E; });  // slot 62 is unused
    expectOnlyFault(pdx::checkTable(db), pdx::atRecord(db, 1, 1, 1, field), "slot 62 is empty");
    patch(db, ".db", [&](Bytes& b) {
        b[tail] = 0x3F;
        put32(b, tail + 4, 600);
    });
    expectOnlyFault(pdx::checkTable(db), pdx::atRecord(db, 1, 1, 1, field), "holds 555 bytes, the record says 600");
    patch(db, ".db", [&](Bytes& b) {
        put32(b, tail + 4, 555);
        put32(b, tail, 0x3F);  // block 0: the blob file's header
    });
    expectOnlyFault(pdx::checkTable(db), pdx::atRecord(db, 1, 1, 1, field), "has no locator");
}

TEST_F(CheckDamage, ValuesTheReaderRefuses) {
    const fs::path logical = copy("fields/logical.db");
    patch(logical, ".db", [](Bytes& b) { b[recordAt(1, 2, 1)] = 0x42; });
    const auto r = pdx::checkTable(logical);
    ASSERT_EQ(r.faults, 1u) << listing(r);
    EXPECT_EQ(r.findings[0].where.row, 2u);
    EXPECT_FALSE(r.findings[0].where.field.empty());
    EXPECT_NE(r.findings[0].what.find("0x42"), std::string::npos);

    // long.db's counter is 3, its Id field holds 1..3.
    const fs::path counter = copy("fields/long.db");
    patch(counter, ".db", [](Bytes& b) { put32(b, 0x49, 2); });
    expectOnlyFault(pdx::checkTable(counter), pdx::atFile(counter), "new records would repeat numbers");
}

TEST_F(CheckDamage, SecondaryIndexEntryMissing) {
    // The last entry of CUSTOMER.X06 (Soquel, customer 19) is dropped, with the counts that
    // would betray it, so only the comparison with the records can find it.
    const fs::path db = copy("db/CUSTOMER.DB");
    constexpr std::size_t kEntry = 21;  // City A15, CustNo +, Blk Num S
    Bytes lostKey;
    patch(db, ".X06", [&](Bytes& b) {
        lostKey.assign(b.begin() + static_cast<long>(recordAt(1, 20, kEntry) + 15),
                       b.begin() + static_cast<long>(recordAt(1, 20, kEntry) + 19));
        put32(b, 0x06, 19);
        put16(b, blockAt(1) + 4, 18 * kEntry);
    });
    patch(db, ".Y06", [](Bytes& b) { putWord(b, blockAt(1) + 6 + 19 + 2, 19); });
    // Where the record with that key lies: CUSTOMER.DB records hold 394 bytes, 5 per block.
    const Bytes table = readBytes(db);
    std::optional<CheckLocation> where;
    for (int block = 1; block <= 4; ++block)
        for (int rec = 1; rec <= 5; ++rec)
            if (std::equal(lostKey.begin(), lostKey.end(),
                           table.begin() + static_cast<long>(recordAt(block, rec, 394))))
                where = pdx::atRecord(db, static_cast<std::uint32_t>(block), static_cast<std::uint32_t>(rec),
                                      static_cast<std::uint64_t>((block - 1) * 5 + rec));
    ASSERT_TRUE(where);
    expectOnlyFault(pdx::checkTable(db), *where, "the index CUSTOMER.X06 has no entry for this record");
}

TEST_F(CheckDamage, SecondaryIndexEntriesWrongOrStrayed) {
    const fs::path db = copy("db/CUSTOMER.DB");
    const fs::path x = fs::path(db).replace_extension(".X06");
    constexpr std::size_t kEntry = 21;
    patch(db, ".X06", [&](Bytes& b) {
        putWord(b, recordAt(1, 1, kEntry) + 19, 99);  // Blk Num of the first entry: 3 -> 99, no such block
        b[recordAt(1, 5, kEntry)] = 'M';              // "Los Gatos" -> "Mos Gatos"
    });
    const auto r = pdx::checkTable(db);
    expectFault(r, pdx::atEntry(x, 1, 1), "the entry gives block 99");
    expectFault(r, pdx::atEntry(x, 1, 5), "the entry holds \"Mos Gatos\"");
    EXPECT_EQ(r.faults, 2u) << listing(r);

    // The tree over the entries: its one leaf entry must count the 20 entries.
    const fs::path tree = copy("db/CUSTOMER.DB");
    patch(tree, ".Y06", [](Bytes& b) { putWord(b, blockAt(1) + 6 + 19 + 2, 18); });
    expectOnlyFault(pdx::checkTable(tree), pdx::atEntry(fs::path(tree).replace_extension(".Y06"), 1, 1),
                    "the entry counts 18 records, CUSTOMER.X06 block 1 holds 20");
}

TEST_F(CheckDamage, SecondaryIndexOrderUnderAByteOrder) {
    // C.X02 indexes a Long field: its entries must ascend by their bytes.
    const fs::path db = copy("joins/C.DB");
    const fs::path x = fs::path(db).replace_extension(".X02");
    patch(db, ".X02", [](Bytes& b) {
        std::swap_ranges(b.begin() + recordAt(1, 1, 10), b.begin() + recordAt(1, 2, 10),
                         b.begin() + recordAt(1, 2, 10));
    });
    const auto r = pdx::checkTable(db);
    expectFault(r, pdx::atEntry(x, 1, 2), "out of order");
}

}  // namespace
