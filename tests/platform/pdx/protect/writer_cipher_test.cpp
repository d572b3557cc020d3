// Password scrambling of tables: the engine-made protected fixtures decrypt to consistent blocks,
// records and memo text, scrambling restores every byte, and keys and block scrambling agree with
// pxlib in both directions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <span>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/header_key.h"
#include "platform/pdx/protect/password_key.h"
#include "platform/pdx/protect/table_cipher.h"
#include "tests/platform/pdx/writer_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace pdxtest;
using Bytes = std::vector<std::uint8_t>;

const fs::path kEncrypt = fixture("encrypt");
const std::vector<std::string> kProtectedTables = {"encrypted.db", "encrypted35.db", "encryptedmemo.db"};
// The fixtures' password: their stored key is the engine's key for it.
constexpr const char* kFixturePassword = "123";
constexpr std::uint32_t kFixtureKey = 0x0A25E09A;

struct Layout {
    int recordSize, headerSize, blockSize;
    std::size_t blocks;  // whole blocks physically in the file
};

Layout layoutOf(const Bytes& file) {
    Layout l{pdx::loadLE16(file.data()), pdx::loadLE16(file.data() + 2), file[5] * 1024, 0};
    l.blocks = (file.size() - static_cast<std::size_t>(l.headerSize)) / static_cast<std::size_t>(l.blockSize);
    return l;
}

std::span<std::uint8_t> blockIn(Bytes& file, const Layout& l, std::size_t number) {
    return std::span(file).subspan(static_cast<std::size_t>(l.headerSize) + (number - 1) * l.blockSize,
                                   static_cast<std::size_t>(l.blockSize));
}

// Runs decryptBlock or encryptBlock over every whole block of a table file.
void eachBlock(Bytes& file, std::uint32_t key, void (*cipher)(std::span<std::uint8_t>, std::uint32_t, std::uint32_t)) {
    const Layout l = layoutOf(file);
    for (std::size_t n = 1; n <= l.blocks; ++n) cipher(blockIn(file, l, n), key, static_cast<std::uint32_t>(n));
}

Bytes decryptedBlock(Bytes file, std::uint32_t number) {
    const auto block = blockIn(file, layoutOf(file), number);
    pdx::decryptBlock(block, pdx::storedKey(file), number);
    return {block.begin(), block.end()};
}

struct BlockHeader {
    int next, prev, lastOff;
};

BlockHeader blockHeader(std::span<const std::uint8_t> block) {
    return {pdx::loadLE16(block.data()), pdx::loadLE16(block.data() + 2),
            static_cast<std::int16_t>(pdx::loadLE16(block.data() + 4))};
}

// Field descriptors (type, size byte) where the header's field list starts.
std::vector<std::pair<int, int>> descriptors(const Bytes& file, std::size_t at) {
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < static_cast<std::int16_t>(pdx::loadLE16(file.data() + 0x21)); ++i)
        out.emplace_back(file[at + 2 * i], file[at + 2 * i + 1]);
    return out;
}

std::string alpha(const std::uint8_t* p, std::size_t size) {
    std::string s(reinterpret_cast<const char*>(p), size);
    return s.substr(0, s.find('\0'));
}

// ---- Engine-made protected tables ---------------------------------------------------------------

TEST(CipherFixtures, StoredKeyIsTheEnginesKeyOfTheirPassword) {
    ASSERT_EQ(pdx::keyFromPassword(kFixturePassword), kFixtureKey);
    for (const auto& name : kProtectedTables) {
        SCOPED_TRACE(name);
        const std::uint32_t key = pdx::storedKey(readBytes(kEncrypt / name));
        EXPECT_EQ(key, kFixtureKey);
        EXPECT_TRUE(pdx::passwordMatches(kFixturePassword, key));
        for (const char* wrong : {"124", "1234", "12", "", "321"}) EXPECT_FALSE(pdx::passwordMatches(wrong, key));
    }
}

TEST(CipherFixtures, FirstBlockDecryptsToAConsistentBlockHeader) {
    for (const auto& name : kProtectedTables) {
        SCOPED_TRACE(name);
        const Bytes file = readBytes(kEncrypt / name);
        const Layout l = layoutOf(file);
        ASSERT_EQ(l.blocks, 1u);
        const std::uint32_t records = pdx::loadLE32(file.data() + 0x06);
        ASSERT_GT(records, 0u);
        const BlockHeader h = blockHeader(decryptedBlock(file, 1));
        EXPECT_EQ(h.next, 0);
        EXPECT_EQ(h.prev, 0);
        EXPECT_EQ(h.lastOff, static_cast<int>(records - 1) * l.recordSize);
        // The block number selects the variant: the same bytes read as block 2 are garbage.
        Bytes wrong = file;
        const auto asBlock2 = blockIn(wrong, l, 1);
        pdx::decryptBlock(asBlock2, kFixtureKey, 2);
        EXPECT_NE(blockHeader(asBlock2).lastOff, h.lastOff);
    }
}

// Each record: a number counting from 1 (Number at level 3.x, AutoInc at level 5), an Alpha 30.
TEST(CipherFixtures, RecordsHoldTheirValues) {
    struct Case {
        const char* table;
        std::uint8_t level;                       // byte 0x39
        std::size_t fieldList;                    // 3.x: at 0x58, level 4+: at 0x78
        std::vector<std::pair<int, int>> fields;  // (type, size byte)
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"encrypted35.db", 0x04, 0x58, {{0x06, 8}, {0x01, 30}}, {"Test 1", "Test2"}},
        {"encrypted.db", 0x0B, 0x78, {{0x16, 4}, {0x01, 30}}, {"Value 1", "Value 2", "Value 3", "Last one"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        const Bytes file = readBytes(kEncrypt / c.table);
        ASSERT_EQ(file[0x39], c.level);
        ASSERT_EQ(descriptors(file, c.fieldList), c.fields);
        const int numberSize = c.fields[0].second, recordSize = numberSize + 30;
        ASSERT_EQ(layoutOf(file).recordSize, recordSize);
        const Bytes block = decryptedBlock(file, 1);
        for (std::size_t i = 0; i < c.texts.size(); ++i) {
            const std::uint8_t* r = block.data() + 6 + recordSize * i;
            EXPECT_EQ(numberSize == 8 ? pdx::decodeDouble(r) : pdx::decodeLong(r), static_cast<double>(i + 1));
            EXPECT_EQ(alpha(r + numberSize, 30), c.texts[i]);
        }
    }
}

bool isText(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t c : bytes)
        if (c < 0x20 && c != '\n' && c != '\r' && c != '\t') return false;
    return true;
}

TEST(CipherFixtures, MemoDecryptsToTheTextItsRecordsDescribe) {
    const Bytes db = readBytes(kEncrypt / "encryptedmemo.db");
    Bytes mb = readBytes(kEncrypt / "encryptedmemo.mb");
    ASSERT_EQ(descriptors(db, 0x78), (std::vector<std::pair<int, int>>{{0x0C, 250}}));
    pdx::decryptMbBytes(mb, pdx::storedKey(db));
    // The MB header block is scrambled too: type 0, one unit, then the engine's constant sizes.
    EXPECT_EQ(Bytes(mb.begin(), mb.begin() + 3), (Bytes{0x00, 0x01, 0x00}));
    EXPECT_EQ(Bytes(mb.begin() + 0x0B, mb.begin() + 0x15),
              (Bytes{0x00, 0x10, 0x00, 0x10, 0x00, 0x10, 0x40, 0x00, 0x00, 0x08}));

    const Bytes block = decryptedBlock(db, 1);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const std::uint8_t* leader = block.data() + 6 + 250 * i;
        const std::uint32_t locator = pdx::loadLE32(leader + 240), length = pdx::loadLE32(leader + 244);
        ASSERT_EQ(locator & 0xFF, 0xFFu);  // a blob with a block of its own
        const std::size_t at = locator & ~0xFFu;
        ASSERT_LE(at + 9 + length, mb.size());
        EXPECT_EQ(mb[at], 2);
        EXPECT_EQ(pdx::loadLE32(mb.data() + at + 3), length);
        const std::span<const std::uint8_t> value(mb.data() + at + 9, length);
        EXPECT_TRUE(isText(value));
        EXPECT_TRUE(std::equal(leader, leader + 240, value.begin()));  // the leader is the value's start
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(mb.data()) + 0x1009, 27), " The PARADOX File Structure");
}

TEST(CipherFixtures, EncryptingTheDecryptedBytesGivesTheFileBack) {
    for (const auto& name : kProtectedTables) {
        SCOPED_TRACE(name);
        const Bytes original = readBytes(kEncrypt / name);
        Bytes file = original;
        eachBlock(file, pdx::storedKey(original), pdx::decryptBlock);
        eachBlock(file, pdx::storedKey(original), pdx::encryptBlock);
        EXPECT_EQ(file, original);
    }
    const Bytes original = readBytes(kEncrypt / "encryptedmemo.mb");
    Bytes whole = original;
    pdx::decryptMbBytes(whole, kFixtureKey);
    // Any aligned run decrypts on its own, as a reader fetching one blob needs.
    Bytes run(original.begin() + 0x1100, original.begin() + 0x2300);
    pdx::decryptMbBytes(run, kFixtureKey);
    EXPECT_TRUE(std::equal(run.begin(), run.end(), whole.begin() + 0x1100));
    pdx::encryptMbBytes(whole, kFixtureKey);
    EXPECT_EQ(whole, original);
}

// A file may end inside its last block: the whole pieces present decrypt as in the full block.
TEST(CipherFixtures, BlockCutShortDecryptsItsWholePieces) {
    const Bytes file = readBytes(kEncrypt / "encryptedmemo.db");
    const Bytes whole = decryptedBlock(file, 1);
    const Layout l = layoutOf(file);
    Bytes cut(file.begin() + l.headerSize, file.begin() + l.headerSize + 512);
    pdx::decryptBlock(cut, kFixtureKey, 1);
    EXPECT_TRUE(std::equal(cut.begin(), cut.end(), whole.begin()));
}

// ---- Keys of chosen passwords -------------------------------------------------------------------

const std::vector<std::string> kPasswords = {"a",
                                             "secret",
                                             "Secret",
                                             "Paradox7",
                                             "with space!",
                                             "Stra\xDF"
                                             "e",  // code-page byte (1252 sharp s)
                                             "fifteen chars!!",
                                             std::string(255, 'z'),
                                             std::string("\x01\xFF\x80", 3)};

std::string shortened(const std::string& pw) { return pw.size() > 20 ? pw.substr(0, 20) + "..." : pw; }

TEST(CipherKey, ChosenPasswordsRoundTrip) {
    for (const auto& pw : kPasswords) {
        SCOPED_TRACE(shortened(pw));
        const std::uint32_t key = pdx::keyFromPassword(pw);
        EXPECT_NE(key, 0u);
        EXPECT_NE(key >> 16, 0u);
        EXPECT_TRUE(pdx::passwordMatches(pw, key));
        EXPECT_FALSE(pdx::passwordMatches(pw + "x", key));
        EXPECT_FALSE(pdx::passwordMatches(pw.substr(0, pw.size() - 1), key));
    }
    EXPECT_FALSE(pdx::passwordMatches("secret", pdx::keyFromPassword("Secret")));  // case matters
}

TEST(CipherKey, EmptyAndOverlongPasswords) {
    EXPECT_EQ(pdx::keyFromPassword(""), 0u);
    EXPECT_FALSE(pdx::passwordMatches("", 0));
    EXPECT_FALSE(pdx::passwordMatches("a", 0));
    const std::string overlong(256, 'z');
    EXPECT_THROW(pdx::keyFromPassword(overlong), pdx::Error);
    EXPECT_FALSE(pdx::passwordMatches(overlong, pdx::keyFromPassword(std::string(255, 'z'))));
}

// ---- Header key location ------------------------------------------------------------------------

TEST(CipherHeaderKey, LevelAndFileTypeChooseThePlace) {
    Bytes level5 = readBytes(fixture("fields/date7.db"));
    ASSERT_EQ(pdx::storedKey(level5), 0u);
    pdx::storeKey(level5, 0x12345678);
    EXPECT_EQ(pdx::loadLE32(level5.data() + 0x25), 0xFF00FF00u);
    EXPECT_EQ(pdx::loadLE32(level5.data() + 0x5C), 0x12345678u);
    EXPECT_EQ(pdx::storedKey(level5), 0x12345678u);
    pdx::storeKey(level5, 0);
    EXPECT_EQ(level5, readBytes(fixture("fields/date7.db")));

    // A level-7 primary index has no 0x58 area: its key sits at 0x25.
    Bytes px = readBytes(fixture("db/ORDERS.PX"));
    ASSERT_EQ(px[0x39], 0x0C);
    pdx::storeKey(px, 0x12345678);
    EXPECT_EQ(pdx::loadLE32(px.data() + 0x25), 0x12345678u);
    EXPECT_EQ(pdx::storedKey(px), 0x12345678u);

    Bytes level35 = readBytes(fixture("fields/date35.db"));
    pdx::storeKey(level35, 0x12345678);
    EXPECT_EQ(pdx::loadLE32(level35.data() + 0x25), 0x12345678u);

    // An odd 0x25 in a level-4+ table still counts as protected.
    pdx::storeLE32(0x00000042, level5.data() + 0x25);
    EXPECT_EQ(pdx::storedKey(level5), 0x42u);
}

TEST(CipherHeaderKey, TooFewBytesAreRefused) {
    Bytes level5 = readBytes(fixture("fields/date7.db"));
    EXPECT_THROW(pdx::storedKey(std::span(level5).first(0x57)), pdx::Error);
    EXPECT_THROW(pdx::storedKey(std::span(level5).first(0x5F)), pdx::Error);  // marker set, key cut off
    EXPECT_THROW(pdx::storeKey(std::span(level5).first(0x5F), 1), pdx::Error);
}

TEST(CipherBlocks, BadArgumentsAreRefused) {
    Bytes block(2048);
    EXPECT_THROW(pdx::decryptBlock(std::span(block).first(2000), 1, 1), pdx::Error);
    EXPECT_THROW(pdx::encryptBlock(block, 0, 1), pdx::Error);
    EXPECT_THROW(pdx::encryptBlock(block, 1, 0), pdx::Error);
    EXPECT_THROW(pdx::decryptMbBytes(std::span(block).first(100), 1), pdx::Error);
    EXPECT_THROW(pdx::encryptMbBytes(block, 0), pdx::Error);
    EXPECT_EQ(block, Bytes(2048));  // nothing touched
}

// ---- pxlib as the second opinion ----------------------------------------------------------------

// A table written by pxlib with `password`: one Long and one Alpha 20 field, `rows` records.
bool pxlibProtectedTable(const fs::path& file, const std::string& password, int rows) {
    const auto out = inChild([&] {
        pxdoc_t* d = PX_new();
        auto* f = static_cast<pxfield_t*>(std::calloc(2, sizeof(pxfield_t)));
        f[0] = {strdup("N"), static_cast<char>(pxfLong), 4, 0};
        f[1] = {strdup("T"), static_cast<char>(pxfAlpha), 20, 0};
        if (PX_create_file(d, f, 2, file.c_str(), pxfFileTypNonIndexDB) < 0) return std::string("create");
        if (PX_set_parameter(d, "password", password.c_str()) < 0) return std::string("password");
        char rec[24];
        for (int i = 1; i <= rows; ++i) {
            std::memset(rec, 0, sizeof rec);
            PX_put_data_long(d, rec, 4, i);
            std::snprintf(rec + 4, 20, "row %d", i);
            PX_put_record(d, rec);
        }
        PX_close(d);
        PX_delete(d);
        return std::string("ok");
    });
    return out == "ok";
}

TEST(CipherPxlib, TablesPxlibProtectsCarryOurKeyAndDecrypt) {
    vts::test::TempDir dir;
    for (const auto& pw : kPasswords) {
        SCOPED_TRACE(shortened(pw));
        const fs::path file = dir / "pw.db";
        ASSERT_TRUE(pxlibProtectedTable(file, pw, 200));
        const Bytes original = readBytes(file);
        const std::uint32_t key = pdx::storedKey(original);
        EXPECT_EQ(key, pdx::keyFromPassword(pw));

        Bytes bytes = original;
        const Layout l = layoutOf(bytes);
        int row = 0;
        for (int n = pdx::loadLE16(bytes.data() + 0x0E); n != 0 && row <= 200;) {
            const auto block = blockIn(bytes, l, static_cast<std::size_t>(n));
            pdx::decryptBlock(block, key, static_cast<std::uint32_t>(n));
            const BlockHeader h = blockHeader(block);
            for (int off = 0; off <= h.lastOff; off += l.recordSize) {
                ++row;
                EXPECT_EQ(pdx::decodeLong(block.data() + 6 + off), row);
                EXPECT_EQ(alpha(block.data() + 10 + off, 20), "row " + std::to_string(row));
            }
            pdx::encryptBlock(block, key, static_cast<std::uint32_t>(n));
            n = h.next;
        }
        EXPECT_EQ(row, 200);
        EXPECT_EQ(bytes, original);
    }
}

// Protects a copied table file in place: key in the header, every whole block scrambled.
void protect(const fs::path& file, std::uint32_t key) {
    Bytes bytes = readBytes(file);
    const Layout l = layoutOf(bytes);
    ASSERT_EQ((bytes.size() - static_cast<std::size_t>(l.headerSize)) % static_cast<std::size_t>(l.blockSize), 0u);
    pdx::storeKey(bytes, key);
    eachBlock(bytes, key, pdx::encryptBlock);
    writeBytes(file, bytes);
}

TEST(CipherPxlib, PxlibReadsTablesWeProtect) {
    vts::test::TempDir dir;
    const std::uint32_t key = pdx::keyFromPassword("secret");

    const fs::path level35 = copyFamily(fixture("fields/date35.db"), dir / "plain");
    const auto plain35 = pxlibRead(level35, {}, false);  // 3.x: no code page to convert from
    ASSERT_TRUE(plain35);
    ASSERT_EQ(splitLines(*plain35).size(), 3u) << *plain35;
    protect(level35, key);
    EXPECT_EQ(pxlibRead(level35, {}, false), plain35);

    // A level-7 keyed table over 8 blocks, read through its primary index, which is protected too.
    const fs::path orders = copyFamily(fixture("db/ORDERS.DB"), dir / "orders");
    const fs::path index = dir / "orders" / "ORDERS.PX";
    const auto plainOrders = pxlibRead(orders, index);
    ASSERT_TRUE(plainOrders);
    ASSERT_EQ(splitLines(*plainOrders).size(), 224u);
    protect(orders, key);
    protect(index, key);
    EXPECT_EQ(pxlibRead(orders, index), plainOrders);
}

}  // namespace
