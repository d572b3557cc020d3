// Carrying one session's edits into a table someone else saved meanwhile: what merges, what
// collides, and that a collision changes nothing.
#include <gtest/gtest.h>

#include <functional>

#include "db_test_support.h"

using namespace dbtest;

namespace {

const std::string kMine = "T", kTheirs = "vts/theirs/T";

struct Case {
    const char* name;
    int keyFields;
    std::function<void(db::GridSource&)> mine;  // the session's edits, through the grid's source
    const char* theirs;                         // someone else's, in SQL on their copy
    const char* result;                         // their copy afterwards: "K A B" rows by "|"
    bool collides;
};

pdx::Value v(const char* s) { return pdx::Value(std::string(s)); }

void setA(db::GridSource& g, std::int64_t rowid, const char* old, const char* now) {
    g.Update(rowid, 1, v(old), v(now));
}

const Case kCases[] = {
    {"OtherRows", 1, [](auto& g) { setA(g, 1, "a1", "x"); }, "UPDATE T SET B = 'y' WHERE K = 2",
     "1 x b1|2 a2 y|3 a3 b3", false},
    {"OtherFieldsOfOneRow", 1, [](auto& g) { setA(g, 1, "a1", "x"); }, "UPDATE T SET B = 'y' WHERE K = 1",
     "1 x y|2 a2 b2|3 a3 b3", false},
    {"OneFieldTwoValues", 1, [](auto& g) { setA(g, 1, "a1", "x"); }, "UPDATE T SET A = 'z' WHERE K = 1", "", true},
    {"OneFieldOneValue", 1, [](auto& g) { setA(g, 1, "a1", "x"); }, "UPDATE T SET A = 'x' WHERE K = 1",
     "1 x b1|2 a2 b2|3 a3 b3", false},
    {"ChangedBack", 1, [](auto& g) { setA(g, 1, "a1", "x"), setA(g, 1, "x", "a1"); },
     "UPDATE T SET A = 'z' WHERE K = 1", "1 z b1|2 a2 b2|3 a3 b3", false},
    {"DeletedHereOnly", 1, [](auto& g) { g.Delete({2}); }, "UPDATE T SET B = 'y' WHERE K = 1", "1 a1 y|3 a3 b3", false},
    {"DeletedHereChangedThere", 1, [](auto& g) { g.Delete({2}); }, "UPDATE T SET B = 'y' WHERE K = 2", "", true},
    {"ChangedHereDeletedThere", 1, [](auto& g) { setA(g, 2, "a2", "x"); }, "DELETE FROM T WHERE K = 2", "", true},
    {"DeletedBoth", 1, [](auto& g) { g.Delete({2}); }, "DELETE FROM T WHERE K = 2", "1 a1 b1|3 a3 b3", false},
    {"AddedBoth", 1,
     [](auto& g) {
         g.Insert({std::int64_t(4), v("m"), v("m")});
     },
     "INSERT INTO T VALUES (5, 't', 't')", "1 a1 b1|2 a2 b2|3 a3 b3|4 m m|5 t t", false},
    {"OneKeyAddedTwice", 1,
     [](auto& g) {
         g.Insert({std::int64_t(4), v("m"), v("m")});
     },
     "INSERT INTO T VALUES (4, 't', 't')", "", true},
    {"KeysSwapped", 1,
     [](auto& g) {
         g.Update(1, 0, std::int64_t(1), std::int64_t(9));
         g.Update(2, 0, std::int64_t(2), std::int64_t(1));
         g.Update(1, 0, std::int64_t(9), std::int64_t(2));
     },
     "UPDATE T SET B = 'y' WHERE K = 3", "1 a2 b2|2 a1 b1|3 a3 y", false},
    {"ByPosition", 0, [](auto& g) { setA(g, 2, "a2", "x"); }, "UPDATE T SET B = 'y' WHERE K = 3",
     "1 a1 b1|2 x b2|3 a3 y", false},
    {"PositionsMovedThere", 0, [](auto& g) { setA(g, 2, "a2", "x"); }, "DELETE FROM T WHERE K = 1", "", true},
    {"AddedOnlyWhilePositionsMoved", 0,
     [](auto& g) {
         g.Insert({std::int64_t(4), v("m"), v("m")});
     },
     "DELETE FROM T WHERE K = 1", "2 a2 b2|3 a3 b3|4 m m", false},
};

// Three imported rows, both as the session's table and as their copy.
void importBoth(db::Connection& work, int keyFields) {
    pdx::Schema schema;
    schema.fields = {
        {"K", pdx::FieldType::Long, 4}, {"A", pdx::FieldType::Alpha, 10}, {"B", pdx::FieldType::Alpha, 10}};
    schema.keyFields = keyFields;
    for (const std::string& t : {kMine, kTheirs}) {
        work.CreateTable(t, {{"K", db::JetType::Int}, {"A", db::JetType::Text}, {"B", db::JetType::Text}});
        work.RecordSourceStructure(t, schema);
        for (int k = 1; k <= 3; ++k) {
            const std::string n = std::to_string(k);
            work.InsertRow(t, {std::int64_t(k), pdx::Value("a" + n), pdx::Value("b" + n)});
        }
        work.SetImportedRows(t, 3);
    }
}

std::string rows(const TempDir& app, const std::string& table, bool byKey) {
    db::SqliteDb db(app.file("dbTemp.mdb"), true, false);
    db::Statement st(db, "SELECT K, A, B FROM " + db::quoteIdentifier(table) + " ORDER BY " + (byKey ? "K" : "rowid"));
    std::string out;
    while (st.step())
        out += (out.empty() ? "" : "|") + text(st.column(0)) + " " + text(st.column(1)) + " " + text(st.column(2));
    return out;
}

}  // namespace

TEST(MergeEdits, EachWayTwoSessionsMeet) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        TempDir app;
        db::Connection work;
        work.Open(workingString(app));
        importBoth(work, c.keyFields);
        c.mine(*work.OpenGridSource(kMine));
        std::string theirSql = c.theirs;
        theirSql.replace(theirSql.find(" T "), 3, " `vts/theirs/T` ");
        sqlite(app, theirSql);
        const std::string before = rows(app, kTheirs, c.keyFields > 0);
        const auto collisions = work.MergeEdits(kMine, kTheirs);
        EXPECT_EQ(!collisions.empty(), c.collides);
        EXPECT_EQ(rows(app, kTheirs, c.keyFields > 0), c.collides ? before : c.result);
    }
}

TEST(MergeEdits, TablesWhoseFieldsOrImportDifferAreNotMatched) {
    TempDir app;
    db::Connection work;
    work.Open(workingString(app));
    importBoth(work, 1);
    pdx::Schema other = *work.SourceStructure(kTheirs);
    other.keyFields = 2;
    work.RecordSourceStructure(kTheirs, other);
    EXPECT_EQ(work.MergeEdits(kMine, kTheirs).size(), 1u);
    work.RecordSourceStructure(kTheirs, *work.SourceStructure(kMine));
    sqlite(app, "DELETE FROM `vts/imported-rows` WHERE table_name = 'T'");  // edits of an earlier version
    EXPECT_EQ(work.MergeEdits(kMine, kTheirs).size(), 1u);
}
