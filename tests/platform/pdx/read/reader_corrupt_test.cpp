// Damaged, truncated and foreign files: each gives a pdx::Error that names the file and the
// fault, never a crash, a hang or wrong data.
#include <gtest/gtest.h>

#include "platform/pdx/format/codec.h"
#include "tests/platform/pdx/pdx_test_support.h"
#include "tests/support/temp_dir.h"

using namespace pdxtest;

namespace {

constexpr std::size_t kOrdersBlock = 2048;  // ORDERS.DB: 0x800 header, 2 KiB blocks, 8 blocks

class CorruptTable : public ::testing::Test {
protected:
    vts::test::TempDir dir;
    int copies = 0;

    // A fresh copy of a fixture table (with its family) whose .db bytes `patch` may change.
    template <class Patch>
    fs::path damaged(const std::string& fixtureFile, Patch patch) {
        const fs::path sub = dir / ("copy" + std::to_string(++copies));
        fs::create_directory(sub);
        const fs::path db = copyFamily(fixture(fixtureFile), sub);
        auto bytes = readBytes(db);
        patch(bytes);
        writeBytes(db, bytes);
        return db;
    }

    // Reading the whole table fails with a message naming the file and containing `fault`.
    void expectFailure(const fs::path& db, const std::string& fault, const std::string& otherFile = "") {
        const std::string msg = errorOf([&] { readAll(db); });
        ASSERT_FALSE(msg.empty()) << "no error for " << db;
        EXPECT_NE(msg.find(db.string()), std::string::npos) << msg;
        EXPECT_NE(msg.find(fault), std::string::npos) << msg;
        if (!otherFile.empty()) {
            EXPECT_NE(msg.find(otherFile), std::string::npos) << msg;
        }
    }
};

std::size_t ordersBlock(int n) { return 0x800 + (n - 1) * kOrdersBlock; }

}  // namespace

TEST_F(CorruptTable, TruncatedHeaders) {
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { b.resize(0x50); }), "too short");
    expectFailure(damaged("fields/long.db", [](auto& b) { b.resize(0x200); }), "cut short");
    expectFailure(damaged("fields/date5.db", [](auto& b) { b.clear(); }), "too short");
    // The header's own items run past its declared size.
    expectFailure(damaged("fields/time.db", [](auto& b) { put16(b, 0x02, 0x80); }), "header");
}

TEST_F(CorruptTable, TruncatedBlocks) {
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { b.resize(ordersBlock(4) + 100); }), "block");
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { b.resize(ordersBlock(8) + 3); }), "cut short");
}

TEST_F(CorruptTable, ChainLoopsAndStrayBlockNumbers) {
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { put16(b, ordersBlock(3), 1); }), "loops");
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { put16(b, ordersBlock(1), 500); }), "block 500");
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { put16(b, 0x0E, 9); }), "block 9");
    // A chain cut short loses records: refused rather than read as a smaller table.
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { put16(b, ordersBlock(5), 0); }), "records");
}

TEST_F(CorruptTable, AbsurdCountsAndSizes) {
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { put32(b, 0x06, 0xFFFFFFFF); }), "records");
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { put16(b, 0x21, 0x7FFF); }), "fields");
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { put16(b, 0x21, 0); }), "fields");
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { put16(b, 0x23, 40); }), "key fields");
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { put16(b, 0x00, 0); }), "record size");
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { put16(b, 0x00, 0xFFFF); }), "do not fit");
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { put16(b, 0x00, 72); }), "record size");
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { b[0x05] = 0; }), "block size");
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { put16(b, ordersBlock(2) + 4, 0x7FFF); }), "block 2 is damaged");
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { put16(b, ordersBlock(2) + 4, 70); }), "block 2 is damaged");
}

TEST_F(CorruptTable, ForeignFiles) {
    const fs::path text = dir / "notes.db";
    writeBytes(text, std::vector<std::uint8_t>(4096, 'x'));
    expectFailure(text, "not a Paradox table");
    const fs::path index = dir / "orders-index.db";
    fs::copy_file(fixture("db/ORDERS.PX"), index);
    expectFailure(index, "file type 1");
    fs::create_directory(dir / "folder.db");
    expectFailure(dir / "folder.db", "not a regular file");
    expectFailure(dir / "absent.db", "cannot open");
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { b[0x39] = 0x42; }), "version");
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { b[0x78] = 0x07; }), "unknown type 0x07");
    expectFailure(damaged("db/ORDERS.DB", [](auto& b) { b[0x79] = 9; }), "invalid size");  // Number of 9 bytes
}

TEST_F(CorruptTable, DamagedValuesNameRowAndField) {
    expectFailure(damaged("fields/logical.db", [](auto& b) { b[0x800 + 6 + 1] = 0x55; }), "row 2, field \"BOOL\"");
    expectFailure(damaged("fields/bcd.db", [](auto& b) { b[0x800 + 6] = 0xC0 | 40; }), "row 1, field \"A\"");
}

// fields/memo.db record 1: MEMO tail at 0x800 + 6 + 4 + 240, locator 0x103F (block 0x1000,
// slot 63), 555 bytes. fields/graphic.db record 2: locator 0xB0FF, 9 626 bytes.
namespace {
constexpr std::size_t kMemoTail = 0x800 + 6 + 4 + 240;
constexpr std::size_t kGraphicTail = 0x800 + 6 + 17 + 4;
}  // namespace

TEST_F(CorruptTable, BadBlobLocators) {
    expectFailure(damaged("fields/memo.db", [](auto& b) { put32(b, kMemoTail, 0x1003F); }), "beyond the end",
                  "memo.mb");
    expectFailure(damaged("fields/memo.db", [](auto& b) { put32(b, kMemoTail, 0x183F); }), "invalid blob locator");
    expectFailure(damaged("fields/memo.db", [](auto& b) { put32(b, kMemoTail, 0x3F); }), "invalid blob locator");
    expectFailure(damaged("fields/memo.db", [](auto& b) { put32(b, kMemoTail, 0x103E); }), "slot 62 is empty");
    expectFailure(damaged("fields/memo.db", [](auto& b) { put32(b, kMemoTail, 0x1050); }), "slot 80 does not exist");
    expectFailure(damaged("fields/memo.db", [](auto& b) { put32(b, kMemoTail + 4, 556); }), "the record says 556");
    expectFailure(damaged("fields/graphic.db", [](auto& b) { b[kGraphicTail] = 0x03; }), "slot 3");
    // A huge claimed length is checked against the block before anything is allocated.
    expectFailure(damaged("fields/graphic.db", [](auto& b) { put32(b, kGraphicTail + 4, 0xFFFFFFF0); }),
                  "the record says");
}

TEST_F(CorruptTable, DamagedOrMissingBlobFile) {
    const fs::path db = copyFamily(fixture("fields/memo.db"), dir.path());
    auto mb = readBytes(dir / "memo.mb");
    mb[0x1000] = 4;  // the slot block now claims to be free space
    writeBytes(dir / "memo.mb", mb);
    expectFailure(db, "type 4", "memo.mb");

    mb.resize(4096);
    writeBytes(dir / "memo.mb", mb);
    expectFailure(db, "beyond the end", "memo.mb");

    fs::remove(dir / "memo.mb");
    expectFailure(db, "missing", "memo.MB");
}

TEST_F(CorruptTable, BlankBlobNeedsNoBlobFile) {
    // Values inline in the leader read without the .MB; only the first MB value needs it.
    const fs::path db = copyFamily(fixture("fields/memo.db"), dir.path());
    fs::remove(dir / "memo.mb");
    pdx::TableReader reader(db);
    EXPECT_EQ(reader.info().recordCount, 2u);
    pdx::Record r;
    EXPECT_THROW(reader.next(r), pdx::Error);
}
