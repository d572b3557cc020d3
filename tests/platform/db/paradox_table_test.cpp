// Paradox tables read row by row for the import: types, text forms, counts, blobs, refusals.
#include <gtest/gtest.h>

#include <thread>

#include "db_test_support.h"
#include "platform/pdx/io/family_lock.h"
#include "platform/pdx/write/writer.h"
#include "platform/db/jet_types.h"
#include "platform/db/paradox_table.h"
#include "platform/shell/errors.h"

using namespace dbtest;

namespace {

// All rows of a fixture table, with its columns and structure.
struct Table {
    std::vector<std::string> names;
    std::vector<int> types;
    std::vector<std::vector<pdx::Value>> rows;
    std::int64_t count = 0;
    pdx::Schema schema;
};

Table readTable(const fs::path& folder, const std::string& name) {
    const auto table = db::openParadoxTable(folder, name);
    Table t;
    t.count = table->recordCount();
    t.schema = *table->sourceSchema();
    for (const auto& column : table->columns()) {
        t.names.push_back(column.name);
        t.types.push_back(column.adoType);
    }
    for (; !table->eof(); table->moveNext()) {
        auto& row = t.rows.emplace_back();
        for (std::size_t i = 0; i < t.names.size(); ++i) row.push_back(table->value(static_cast<int>(i)));
    }
    return t;
}

std::string textAt(const Table& t, std::size_t row, std::size_t col) { return pdx::toText(t.rows.at(row).at(col)); }

}  // namespace

TEST(ParadoxTable, TypeCodesFollowTheFieldTypes) {
    struct Case {
        const char* table;
        std::vector<int> types;
    };
    using namespace db::ado;
    for (const Case& c :
         {Case{"bcd", {adDecimal, adDecimal, adDecimal}}, Case{"bytes", {adBinary}},
          Case{"date5", {adDBDate, adDBTime}}, Case{"logical", {adBoolean}}, Case{"long", {adInteger, adInteger}},
          Case{"memo", {adInteger, adLongVarChar}}, Case{"ole", {adInteger, adLongVarBinary}},
          Case{"fmemo", {adInteger, adLongVarBinary}}, Case{"graphic", {adInteger, adLongVarBinary, adVarChar}},
          Case{"timestamp", {adDBTimeStamp}}}) {
        EXPECT_EQ(readTable(fixtures() / "fields", c.table).types, c.types) << c.table;
    }
    EXPECT_EQ(readTable(fixtures() / "db", "DECIMAL").types, std::vector<int>{adDouble});
}

TEST(ParadoxTable, TextFormsAreFixedWhateverTheLocale) {
    CommaLocale comma;
    const auto bcd = readTable(fixtures() / "fields", "bcd");
    EXPECT_EQ(textAt(bcd, 0, 0), "1.23");
    EXPECT_EQ(textAt(bcd, 1, 0), "-1.23");
    EXPECT_EQ(textAt(bcd, 2, 0), "0.00");
    EXPECT_TRUE(pdx::isNull(bcd.rows[2][1]));
    const auto date = readTable(fixtures() / "fields", "date5");
    EXPECT_EQ(textAt(date, 0, 0), "2018-01-01");
    EXPECT_EQ(textAt(date, 0, 1), "10:00:00");
    const auto stamp = readTable(fixtures() / "fields", "timestamp");
    EXPECT_TRUE(pdx::isNull(stamp.rows[0][0]));
    EXPECT_EQ(textAt(stamp, 1, 0), "2020-02-01 01:00:01");
    const auto logical = readTable(fixtures() / "fields", "logical");
    EXPECT_EQ(textAt(logical, 0, 0), "True");
    EXPECT_EQ(textAt(logical, 1, 0), "False");
    const auto bytes = readTable(fixtures() / "fields", "bytes");
    EXPECT_EQ(textAt(bytes, 0, 0).substr(0, 12), "310032003300");
    const auto dec = readTable(fixtures() / "db", "DECIMAL");
    std::vector<std::string> numbers;
    for (std::size_t i = 0; i < dec.rows.size(); ++i) numbers.push_back(textAt(dec, i, 0));
    EXPECT_NE(std::find(numbers.begin(), numbers.end(), "200.36"), numbers.end());
    EXPECT_NE(std::find(numbers.begin(), numbers.end(), "-200"), numbers.end());
    EXPECT_TRUE(std::holds_alternative<double>(dec.rows[0][0]));
}

TEST(ParadoxTable, RecordCountIsExactAndValuesKeepTheirKinds) {
    const auto customer = readTable(fixtures() / "db", "customer");  // any letter case finds CUSTOMER.DB
    EXPECT_EQ(customer.count, 20);
    EXPECT_EQ(customer.rows.size(), 20u);
    EXPECT_EQ(customer.names[1], "FirstName");
    EXPECT_EQ(customer.rows[0][0], pdx::Value(std::int64_t{1}));
    EXPECT_EQ(textAt(customer, 0, 1), "Luke");
    EXPECT_EQ(textAt(customer, 0, 9), "1996-02-02");
    EXPECT_EQ(customer.schema.keyFields, 1);
    EXPECT_EQ(customer.schema.fields.size(), 10u);
    const auto longs = readTable(fixtures() / "fields", "long");
    EXPECT_TRUE(pdx::isNull(longs.rows[2][1]));
    const auto area = readTable(fixtures() / "db", "AREACODE");
    EXPECT_EQ(area.count, 135);
    EXPECT_EQ(area.rows.size(), 135u);
}

TEST(ParadoxTable, BlobsComeAsBytes) {
    const auto graphic = readTable(fixtures() / "fields", "graphic");
    ASSERT_EQ(graphic.rows.size(), 3u);
    const auto& gif = std::get<pdx::Bytes>(graphic.rows[0][1]);
    EXPECT_EQ(gif.size(), 20086u);
    const auto ole = readTable(fixtures() / "fields", "ole");
    EXPECT_EQ(std::get<pdx::Bytes>(ole.rows[0][1]).size(), 365928u);
    const auto memo = readTable(fixtures() / "fields", "memo");
    EXPECT_TRUE(std::holds_alternative<std::string>(memo.rows[1][1]));
}

TEST(ParadoxTable, ReadingPastTheEndIsAnError) {
    const auto table = db::openParadoxTable(fixtures() / "fields", "date5");
    EXPECT_EQ(pdx::toText(table->value(1)), "10:00:00");
    while (!table->eof()) table->moveNext();
    EXPECT_THROW(table->moveNext(), vts::Error);
    EXPECT_THROW(table->value(0), vts::Error);
}

TEST(ParadoxTable, PasswordProtectedTableIsRefusedClearly) {
    for (const char* name : {"encrypted", "encrypted35", "encryptedmemo"}) {
        try {
            readTable(fixtures() / "encrypt", name);
            ADD_FAILURE() << name << " was read";
        } catch (const vts::Error& e) {
            EXPECT_NE(std::string(e.what()).find("password"), std::string::npos) << e.what();
        }
    }
}

TEST(ParadoxTable, AMissingTableOrFolderIsAClearError) {
    TempDir dir;
    copyTable("db", "CUSTOMER", dir.path());
    const auto before = filesIn(dir.path());
    try {
        db::openParadoxTable(dir.path(), "MISSING");
        FAIL() << "opened a missing table";
    } catch (const vts::Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The table \"MISSING\" does not exist in the Paradox folder \"" + dir.str() + "\".");
    }
    try {
        db::openParadoxTable(dir.path() / "gone", "CUSTOMER");
        FAIL() << "opened a table of a missing folder";
    } catch (const vts::Error& e) {
        EXPECT_NE(std::string(e.what()).find("does not exist"), std::string::npos) << e.what();
    }
    EXPECT_EQ(filesIn(dir.path()), before);  // reading changes nothing
}

// Opened while another program has set the old files aside and not yet put the new ones in
// place: the opening waits for it, and never reports the table missing.
TEST(ParadoxTable, ATableBeingReplacedIsWaitedForNotMissed) {
    TempDir dir;
    pdx::Schema schema;
    schema.fields = {{"N", pdx::FieldType::Long, 4}};
    pdx::TableWriter table(dir.path(), "T", schema);
    for (std::int64_t n = 0; n < 20; ++n) table.append({n});
    table.finish();
    table.install();
    using Lock = pdx::FamilyLock;
    std::optional<Lock> writer(std::in_place, dir.path(), "T", Lock::Kind::Writer, Lock::Mode::Exclusive,
                               std::chrono::milliseconds(0));
    std::optional<Lock> files(std::in_place, dir.path(), "T", Lock::Kind::Files, Lock::Mode::Exclusive,
                              std::chrono::milliseconds(0));
    const fs::path db = dir / "T.db", aside = dir / "T.db.vts-aside-000000000001";
    fs::rename(db, aside);
    std::thread replacement([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        fs::rename(aside, db);
        files.reset();
        writer.reset();
    });
    std::string why;
    try {
        EXPECT_EQ(db::openParadoxTable(dir.path(), "T")->recordCount(), 20);
    } catch (const std::exception& e) {
        why = e.what();
    }
    replacement.join();
    EXPECT_EQ(why, "");
}
