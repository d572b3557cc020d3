// The grid's data source: rows by position in large tables, optimistic cell edits, and never
// holding the working table against another connection.
#include <gtest/gtest.h>

#include "db_test_support.h"
#include "platform/db/jet_types.h"
#include "platform/shell/errors.h"

using namespace dbtest;

namespace {

constexpr int kRows = 200000;

struct GridSourceTest : ::testing::Test {
    TempDir app;
    db::Connection work;
    void SetUp() override {
        work.Open(workingString(app));
        work.CreateTable("BIG", {{"N", db::JetType::Int}, {"S", db::JetType::Text}, {"D", db::JetType::Decimal}});
        sqlite(app, "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < " +
                        std::to_string(kRows) + ") INSERT INTO `BIG` SELECT i, 'row ' || i, '0.10' FROM k");
    }
    std::shared_ptr<db::GridSource> open(db::Connection& c) { return c.OpenGridSource("BIG"); }
};

void expectRows(const std::vector<db::GridSource::Row>& rows, std::int64_t firstN, std::size_t count) {
    ASSERT_EQ(rows.size(), count);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].values[0], pdx::Value(std::int64_t(firstN) + std::int64_t(i)));
        EXPECT_EQ(pdx::toText(rows[i].values[1]), "row " + std::to_string(firstN + std::int64_t(i)));
    }
}

}  // namespace

TEST_F(GridSourceTest, ColumnsAndRowsAtAnyOffset) {
    db::Connection grid;
    grid.Open(workingString(app));
    auto src = open(grid);
    ASSERT_EQ(src->ColumnCount(), 3);
    EXPECT_EQ(src->ColumnName(1), "S");
    EXPECT_EQ(src->ColumnJetType(2), db::JetType::Decimal);
    EXPECT_EQ(src->ColumnType(0), db::ado::adInteger);
    EXPECT_EQ(src->RowCount(), kRows);
    expectRows(src->Fetch(0, 40), 1, 40);
    expectRows(src->Fetch(kRows / 2, 40), kRows / 2 + 1, 40);
    expectRows(src->Fetch(kRows - 10, 40), kRows - 9, 10);
    EXPECT_TRUE(src->Fetch(kRows, 40).empty());
    EXPECT_TRUE(src->Fetch(-1, 40).empty());
}

TEST_F(GridSourceTest, GapsInRowidsAfterChangesByAnotherConnection) {
    db::Connection grid;
    grid.Open(workingString(app));
    auto src = open(grid);
    EXPECT_EQ(src->RowCount(), kRows);
    sqlite(app, "DELETE FROM `BIG` WHERE `N` % 2 = 0");
    EXPECT_EQ(src->RowCount(), kRows / 2);
    const auto middle = src->Fetch(kRows / 4, 3);
    ASSERT_EQ(middle.size(), 3u);
    EXPECT_EQ(middle[0].values[0], pdx::Value(std::int64_t{kRows / 2 + 1}));
    EXPECT_EQ(middle[1].values[0], pdx::Value(std::int64_t{kRows / 2 + 3}));
    EXPECT_EQ(middle[1].rowid, kRows / 2 + 3);
    expectRows(src->Fetch(kRows / 2 - 1, 5), kRows - 1, 1);
}

TEST_F(GridSourceTest, OptimisticUpdate) {
    db::Connection grid;
    grid.Open(workingString(app));
    auto src = open(grid);
    const auto row = src->Fetch(9, 1).at(0);
    EXPECT_EQ(src->Update(row.rowid, 1, row.values[1], std::string("edited")), pdx::Value(std::string("edited")));
    EXPECT_EQ(src->Update(row.rowid, 0, row.values[0], std::string("77")), pdx::Value(std::int64_t{77}));
    EXPECT_EQ(src->Update(row.rowid, 2, row.values[2], std::string("1.50")), pdx::Value(std::string("1.50")));
    // The old value no longer matches: someone (here: the edit above) changed it.
    try {
        src->Update(row.rowid, 1, row.values[1], std::string("again"));
        FAIL() << "stale edit accepted";
    } catch (const vts::Error& e) {
        EXPECT_NE(std::string(e.what()).find("changed or deleted"), std::string::npos) << e.what();
    }
    sqlite(app, "DELETE FROM `BIG` WHERE rowid = 11");
    EXPECT_THROW(src->Update(11, 1, std::string("row 11"), std::string("x")), vts::Error);
    EXPECT_THROW(src->Update(12, 0, std::int64_t{12}, std::string("twelve")), vts::Error);  // not a whole number
    EXPECT_EQ(src->Fetch(9, 1).at(0).values[1], pdx::Value(std::string("edited")));
    EXPECT_EQ(src->Fetch(10, 1).at(0).values[0], pdx::Value(std::int64_t{12}));
    EXPECT_EQ(src->Update(12, 1, std::string("row 12"), std::string("")), pdx::Value(std::monostate{}));
}

// Only an edit that is stored marks the table as holding unsaved edits; dropping it clears that.
TEST_F(GridSourceTest, StoredEditsMarkTheTableUntilItIsDropped) {
    db::Connection grid;
    grid.Open(workingString(app));
    auto src = open(grid);
    EXPECT_FALSE(work.HasUnsavedEdits("BIG"));
    EXPECT_THROW(src->Update(1, 0, std::int64_t{1}, std::string("one")), vts::Error);     // refused value
    EXPECT_THROW(src->Update(1, 1, std::string("stale"), std::string("x")), vts::Error);  // stale row
    EXPECT_FALSE(work.HasUnsavedEdits("BIG"));
    src->Update(1, 1, std::string("row 1"), std::string("edited"));
    EXPECT_TRUE(work.HasUnsavedEdits("BIG"));
    EXPECT_TRUE(work.HasUnsavedEdits("big"));
    work.DropTable("BIG");
    EXPECT_FALSE(work.HasUnsavedEdits("BIG"));
}

TEST_F(GridSourceTest, TheTableCanBeReplacedWhileTheGridSourceLives) {
    db::Connection grid;
    grid.Open(workingString(app));
    auto src = open(grid);
    src->Fetch(100, 40);
    db::Connection other;
    other.Open(workingString(app));
    other.DropTable("BIG");
    other.CreateTable("BIG", {{"N", db::JetType::Int}, {"S", db::JetType::Text}, {"D", db::JetType::Decimal}});
    other.InsertRow("BIG", {std::string("1"), std::string("fresh"), pdx::Value{}});
    EXPECT_EQ(src->RowCount(), 1);
    EXPECT_EQ(pdx::toText(src->Fetch(0, 10).at(0).values[1]), "fresh");
}

TEST_F(GridSourceTest, ReadsWhileAnImportHoldsALargeWriteTransaction) {
    db::Connection grid;
    grid.Open(workingString(app));
    auto src = open(grid);
    // The import runs in one transaction and lets the window repaint meanwhile; a grid still bound
    // to the earlier table must be readable then, on the same thread.
    work.BeginTrans();
    work.CreateTable("OTHER", {{"A", db::JetType::Text}});
    // Enough rows for the writer to spill pages to the file before it commits.
    for (int i = 0; i < 200000; ++i)
        work.InsertRow("OTHER", {"some text to fill the pages of the file " + std::to_string(i)});
    expectRows(src->Fetch(5, 3), 6, 3);
    work.CommitTrans();
}

TEST(GridSourceNames, AColumnNamedRowidDoesNotHideTheRowIdentity) {
    TempDir app;
    db::Connection work;
    work.Open(workingString(app));
    work.CreateTable("T\"Q", {{"rowid", db::JetType::Text}, {"oid", db::JetType::Int}});
    work.InsertRow("T\"Q", {std::string("first"), std::string("5")});
    work.InsertRow("T\"Q", {std::string("second"), std::string("6")});
    sqlite(app, "DELETE FROM `T\"Q` WHERE `oid` = 5");
    auto src = work.OpenGridSource("T\"Q");
    const auto rows = src->Fetch(0, 5);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].rowid, 2);
    EXPECT_EQ(rows[0].values[0], pdx::Value(std::string("second")));
    EXPECT_EQ(src->Update(2, 0, std::string("second"), std::string("changed")), pdx::Value(std::string("changed")));
}

// Sorted positions: by one column, ties by rowid; edits leave rows where they are and added
// rows come last until the next sort; the table itself keeps its order.
TEST_F(GridSourceTest, RowsSortedByAColumnThenBackInTheTableOrder) {
    db::Connection grid;
    grid.Open(workingString(app));
    auto src = open(grid);
    src->SetOrder(1, false);  // text: "row 1", "row 10", "row 100", ...
    EXPECT_EQ(src->OrderColumn(), 1);
    auto rows = src->Fetch(0, 3);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(text(rows[0].values[1]), "row 1");
    EXPECT_EQ(text(rows[1].values[1]), "row 10");
    EXPECT_EQ(text(rows[2].values[1]), "row 100");
    EXPECT_EQ(text(src->Fetch(kRows - 1, 5).at(0).values[1]), "row 99999");

    src->SetOrder(0, true);
    EXPECT_TRUE(src->OrderDescending());
    EXPECT_EQ(src->Fetch(0, 1).at(0).values[0], pdx::Value(std::int64_t{kRows}));
    EXPECT_EQ(src->Fetch(kRows - 1, 1).at(0).values[0], pdx::Value(std::int64_t{1}));

    // Equal values keep the rowid order; decimals sort by number, text ignores letter case.
    sqlite(app, "UPDATE `BIG` SET `D` = '10.5', `S` = 'ZZ' WHERE rowid = 7");
    sqlite(app, "UPDATE `BIG` SET `D` = '9', `S` = 'aa' WHERE rowid = 8");
    src->SetOrder(2, true);
    rows = src->Fetch(0, 4);
    EXPECT_EQ(rows[0].rowid, 7);
    EXPECT_EQ(rows[1].rowid, 8);
    EXPECT_EQ(rows[2].rowid, 1);
    EXPECT_EQ(rows[3].rowid, 2);
    src->SetOrder(1, false);
    EXPECT_EQ(src->Fetch(0, 1).at(0).rowid, 8);          // "aa" before "row ..."
    EXPECT_EQ(src->Fetch(kRows - 1, 1).at(0).rowid, 7);  // "ZZ" last

    // An edit stays in its place; an added row comes last.
    src->Update(8, 1, std::string("aa"), std::string("zzz"));
    EXPECT_EQ(src->Fetch(0, 1).at(0).rowid, 8);
    const auto added = src->Insert({std::string("0"), std::string("a new row"), pdx::Value{}});
    EXPECT_EQ(src->RowCount(), kRows + 1);
    EXPECT_EQ(src->Fetch(kRows, 1).at(0).rowid, added);

    src->SetOrder(-1, true);
    EXPECT_EQ(src->OrderColumn(), -1);
    expectRows(src->Fetch(0, 5), 1, 5);
    EXPECT_EQ(src->Fetch(kRows, 1).at(0).rowid, added);
    EXPECT_THROW(src->SetOrder(3, false), vts::Error);
}

TEST_F(GridSourceTest, AddedAndDeletedRowsMarkTheTableAndDeletedOnesReturnInTheirPlace) {
    db::Connection grid;
    grid.Open(workingString(app));
    auto src = open(grid);
    // A value that does not suit its column adds nothing and marks nothing.
    EXPECT_THROW(src->Insert({std::string("not a number"), std::string("x"), pdx::Value{}}), vts::Error);
    EXPECT_THROW(src->Insert({std::string("1")}), vts::Error);
    EXPECT_EQ(src->RowCount(), kRows);
    EXPECT_FALSE(work.HasUnsavedEdits("BIG"));

    const auto added = src->Insert({std::string("7"), std::string("added"), std::string("2.50")});
    EXPECT_EQ(added, kRows + 1);
    EXPECT_TRUE(work.HasUnsavedEdits("BIG"));
    const auto last = src->Fetch(kRows, 1).at(0);
    EXPECT_EQ(last.values[0], pdx::Value(std::int64_t{7}));
    EXPECT_EQ(text(last.values[2]), "2.50");

    const auto gone = src->Delete({3, 5});
    ASSERT_EQ(gone.size(), 2u);
    EXPECT_EQ(gone[1].rowid, 5);
    EXPECT_EQ(text(gone[1].values[1]), "row 5");
    EXPECT_EQ(src->RowCount(), kRows - 1);
    EXPECT_EQ(src->Fetch(2, 1).at(0).rowid, 4);
    // All or none: a row that is not there any more stops the whole deletion.
    EXPECT_THROW(src->Delete({6, 5}), vts::Error);
    EXPECT_EQ(src->RowCount(), kRows - 1);

    for (const auto& row : gone) src->Insert(row.values, row.rowid);
    expectRows(src->Fetch(0, 6), 1, 6);
    EXPECT_EQ(src->Fetch(2, 1).at(0).values, gone[0].values);
    EXPECT_EQ(src->RowCount(), kRows + 1);
    EXPECT_THROW(src->Insert(gone[0].values, gone[0].rowid), vts::Error);  // the rowid is taken
}

TEST_F(GridSourceTest, HoldsValuesComparesStoredValues) {
    db::Connection grid;
    grid.Open(workingString(app));
    auto src = open(grid);
    EXPECT_TRUE(src->HoldsValues({0}, {std::string("17")}));
    EXPECT_TRUE(src->HoldsValues({0, 1}, {std::int64_t{17}, std::string("row 17")}));
    EXPECT_FALSE(src->HoldsValues({0, 1}, {std::int64_t{17}, std::string("row 18")}));
    EXPECT_FALSE(src->HoldsValues({0}, {std::string("0")}));
    EXPECT_FALSE(src->HoldsValues({1}, {pdx::Value{}}));
    EXPECT_EQ(src->NextNumber(0), kRows + 1);
    sqlite(app, "UPDATE `BIG` SET `N` = NULL");
    EXPECT_EQ(src->NextNumber(0), 1);
}
