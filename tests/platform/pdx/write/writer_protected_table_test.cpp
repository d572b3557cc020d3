// Password-protected tables through the reader and the writer: opened only with their password,
// written back protected with the same key, and read by pxlib with the same values.
#include <gtest/gtest.h>

#include "platform/pdx/format/header.h"
#include "platform/pdx/protect/password_key.h"
#include "tests/platform/pdx/writer_test_support.h"
#include "tests/support/error_of.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace pdxtest;

const fs::path kEncrypt = vts::test::fixtures() / "encrypt";
const pdx::Unlock kPassword{"123", false};  // the fixtures' password

TEST(ProtectedTable, OpensOnlyWithItsPassword) {
    EXPECT_TRUE(pdx::isPasswordProtected(kEncrypt / "encrypted35.db"));
    EXPECT_FALSE(pdx::isPasswordProtected(vts::test::fixtures() / "db/ORDERS.DB"));
    const std::string none = vts::test::errorOf([] { pdx::TableReader r(kEncrypt / "encrypted35.db"); });
    EXPECT_NE(none.find(pdx::kPasswordMessage), std::string::npos) << none;
    const std::string wrong = vts::test::errorOf([] {
        pdx::TableReader r(kEncrypt / "encrypted35.db", {"124", false});
    });
    EXPECT_NE(wrong.find(pdx::kWrongPasswordMessage), std::string::npos) << wrong;

    pdx::TableReader r(kEncrypt / "encrypted35.db", kPassword);
    pdx::Record rec;
    ASSERT_TRUE(r.next(rec));
    EXPECT_EQ(rec.at(0), pdx::Value(1.0));
    EXPECT_EQ(rec.at(1), pdx::Value(std::string("Test 1")));
    EXPECT_EQ(r.info().key, pdx::keyFromPassword("123"));
}

TEST(ProtectedTable, EveryLevelReadsWholeWithItsPassword) {
    for (const char* name : {"encrypted.db", "encrypted35.db", "encryptedmemo.db"}) {
        SCOPED_TRACE(name);
        pdx::TableReader r(kEncrypt / name, kPassword);
        pdx::Record rec;
        std::uint32_t rows = 0;
        while (r.next(rec)) ++rows;
        EXPECT_EQ(rows, r.info().recordCount);
        EXPECT_GT(rows, 0u);
    }
    pdx::TableReader memo(kEncrypt / "encryptedmemo.db", kPassword);
    pdx::Record rec;
    ASSERT_TRUE(memo.next(rec));
    bool found = false;
    for (const auto& v : rec)
        if (const auto* text = std::get_if<std::string>(&v))
            found |= text->find("The PARADOX File Structure") != std::string::npos;
    EXPECT_TRUE(found) << "the memo reads as its text";
}

// A table with a key, blobs and a .PX written protected: the same records come back with the
// password, none without it, and pxlib reads the same values with it.
TEST(ProtectedTable, WrittenProtectedWithTheSameValues) {
    vts::test::TempDir tmp;
    const Table orders = readAll(vts::test::fixtures() / "db/ORDERS.DB");
    pdx::WriterOptions opt;
    opt.key = pdx::keyFromPassword("s3cret");
    writeAll(tmp.path(), "SAFE", orders.info.schema, orders.records, opt);
    EXPECT_TRUE(pdx::isPasswordProtected(tmp / "SAFE.db"));

    pdx::TableReader r(tmp / "SAFE.db", {"s3cret", false});
    std::vector<pdx::Record> back;
    pdx::Record rec;
    while (r.next(rec)) back.push_back(rec);
    EXPECT_EQ(back, orders.records);
    EXPECT_FALSE(vts::test::errorOf([&] { pdx::TableReader x(tmp / "SAFE.db", {"secret", false}); }).empty());
    EXPECT_EQ(readBytes(tmp / "SAFE.db").at(0x3E), 0);

    writeAll(tmp.path(), "PLAIN", orders.info.schema, orders.records);
    const auto plain = pxlibRead(tmp / "PLAIN.db", tmp / "PLAIN.PX");
    ASSERT_TRUE(plain);
    EXPECT_EQ(pxlibRead(tmp / "SAFE.db", tmp / "SAFE.PX"), plain);  // pxlib reads by the stored key
}

TEST(ProtectedTable, BlobsOfAProtectedTableReadBack) {
    vts::test::TempDir tmp;
    const Table memo = readAll(copyFamily(vts::test::fixtures() / "fields/memo.db", tmp.path()));
    pdx::WriterOptions opt;
    opt.key = pdx::keyFromPassword("m");
    writeAll(tmp.path(), "MEMO2", memo.info.schema, memo.records, opt);
    pdx::TableReader r(tmp / "MEMO2.db", {"m", false});
    std::vector<pdx::Record> back;
    pdx::Record rec;
    while (r.next(rec)) back.push_back(rec);
    EXPECT_EQ(back, memo.records);
}

}  // namespace
