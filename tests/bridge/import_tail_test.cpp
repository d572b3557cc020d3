// The import in two parts: the first rows at once, the rest by a thread of its own while the
// grid edits the first ones; cut short by a failure, by the program's end or by a kill, and
// gone on with afterwards.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "bridge/paradox.h"
#include "bridge_env.h"
#include "platform/db/connection.h"
#include "platform/db/grid_source.h"
#include "tests/support/error_of.h"

namespace vts::test {
namespace {

using pdx::FieldType;

struct BigTable {
    BridgeEnv env;
    std::string working;
    explicit BigTable(int rows) : working(WorkingTableName(env.folderText, "BIG")) {
        pdx::Schema schema;
        schema.fields = {{"N", FieldType::Long, 4}, {"Name", FieldType::Alpha, 20}, {"Day", FieldType::Date, 4}};
        std::vector<pdx::Record> records;
        for (int i = 0; i < rows; ++i)
            records.push_back({std::int64_t{i}, "row " + std::to_string(i), pdx::Date{730000 + i % 5000}});
        writeTable(env.paradoxFolder, "BIG", schema, records);
    }
    std::unique_ptr<ImportTail> start(long rowsNow) {
        return StartParadoxImport(env.ctx, "BIG", env.folderText, working, rowsNow);
    }
    std::unique_ptr<ImportTail> resume(long rowsNow) {
        return ResumeParadoxImport(env.ctx, "BIG", env.folderText, working, rowsNow);
    }
    std::vector<std::string> rows(const std::string& table) const {
        return sqliteColumn(env.workingDb(),
                            "SELECT rowid || ' ' || quote(N) || ' ' || quote(Name) || ' ' || "
                            "quote(Day) FROM \"" +
                                table + "\" ORDER BY rowid");
    }
    // The rows a whole import in one part gives.
    std::vector<std::string> wholeRows() {
        ImportParadoxTableAs(env.ctx, "BIG", env.folderText, "vts/whole");
        return rows("vts/whole");
    }
    int count() const {
        return std::stoi(sqliteColumn(env.workingDb(), "SELECT count(*) FROM \"" + working + "\"").at(0));
    }
    // Rows in, once the table is there.
    int countWhenThere() const {
        try {
            return count();
        } catch (const std::exception&) {
            return 0;
        }
    }
    bool complete() {
        db::Connection c;
        c.Open(WorkingConnectionString(env.ctx.dataHome()));
        return c.ImportComplete(working);
    }
    void finish(ImportTail* tail) {
        if (!tail) return;
        tail->wait({}, {});
        tail->result();
    }
    // The cell edited through the grid's own source, as the grid edits it.
    void editName(std::int64_t rowid, const std::string& to) {
        db::GridSource grid(env.workingDb().string(), working);
        grid.Update(rowid, 1, std::string("row " + std::to_string(rowid - 1)), to);
    }
};

TEST(ImportTail, CopiesTheRowsAWholeImportCopiesWhereverTheSplitFalls) {
    BigTable big(3000);
    const auto whole = big.wholeRows();
    for (const long rowsNow : {0L, 1L, 999L, 2999L, 3000L, 100000L}) {
        auto tail = big.start(rowsNow);
        EXPECT_EQ(tail == nullptr, rowsNow >= 3000) << rowsNow;
        big.finish(tail.get());
        EXPECT_EQ(big.rows(big.working), whole) << rowsNow;
        EXPECT_TRUE(big.complete()) << rowsNow;
    }
}

// The edits wait for the copy's short transactions, never fail for them, and are written back
// with every row.
TEST(ImportTail, EditsMadeWhileTheRowsArriveAreWrittenBackWithEveryRow) {
    BigTable big(60000);
    auto tail = big.start(100);
    ASSERT_TRUE(tail);
    EXPECT_FALSE(tail->finished());
    const std::string why = errorOf([&] { SaveTableToParadox(big.env.ctx, "BIG", {}); });
    EXPECT_NE(why.find("was not copied completely"), std::string::npos) << why;
    for (std::int64_t rowid = 1; rowid <= 50; ++rowid) big.editName(rowid, "edited " + std::to_string(rowid));
    big.finish(tail.get());
    SaveTableToParadox(big.env.ctx, "BIG", {});
    const TableContents written = readTable(big.env.paradoxFolder / "BIG.db");
    ASSERT_EQ(written.records.size(), 60000u);
    EXPECT_EQ(written.records[49][1], pdx::Value(std::string("edited 50")));
    EXPECT_EQ(written.records[50][1], pdx::Value(std::string("row 50")));
    EXPECT_EQ(written.records[59999][0], pdx::Value(std::int64_t{59999}));
}

// A table whose .MB ends half-way fails in the rows after the first: what was copied stays,
// the failure is the tail's result, and the part is never written back.
TEST(ImportTail, AFailureAfterTheFirstRowsLeavesAPartThatIsNeverWrittenBack) {
    BridgeEnv env;
    pdx::Schema schema;
    schema.fields = {{"N", FieldType::Long, 4}, {"Note", FieldType::Memo, 11}};
    std::vector<pdx::Record> rows;
    for (int i = 0; i < 400; ++i) rows.push_back({std::int64_t{i}, std::string(300, char('a' + i % 26))});
    writeTable(env.paradoxFolder, "NOTES", schema, rows);
    fs::resize_file(env.paradoxFolder / "NOTES.MB", fs::file_size(env.paradoxFolder / "NOTES.MB") / 2);
    const auto tail =
        StartParadoxImport(env.ctx, "NOTES", env.folderText, WorkingTableName(env.folderText, "NOTES"), 10);
    ASSERT_TRUE(tail);
    tail->wait({}, {});
    EXPECT_FALSE(errorOf([&] { tail->result(); }).empty());
    EXPECT_GE(std::stoi(sqliteColumn(env.workingDb(), "SELECT count(*) FROM " + env.working("NOTES")).at(0)), 10);
    const std::string why = errorOf([&] { SaveTableToParadox(env.ctx, "NOTES", {}); });
    EXPECT_NE(why.find("was not copied completely"), std::string::npos) << why;
}

// The program's end stops the copy between two transactions (the tail's destructor), a kill
// anywhere in one. Either way the next start goes on with the rows and edits there.
TEST(ImportTail, CutShortByTheProgramsEndOrAKillItGoesOnWithTheEditsKept) {
    for (const bool kill : {false, true}) {
        BigTable big(200000);
        if (kill) {
            const pid_t child = fork();
            if (child == 0) {
                big.start(1000).release();  // copying on until the kill
                for (;;) pause();
            }
            // Once the copy is under way, but long before it ends.
            for (int i = 0; i < 500 && big.countWhenThere() < 20000; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            ::kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        } else {
            big.start(1000).reset();
        }
        ASSERT_FALSE(big.complete()) << kill;
        ASSERT_TRUE(WorkingTableCutShort(big.env.ctx, big.working));
        big.editName(1, "edited");
        big.finish(big.resume(10).get());
        EXPECT_TRUE(big.complete());
        auto whole = big.wholeRows();
        whole[0] = "1 0 'edited' " + whole[0].substr(whole[0].rfind(' ') + 1);
        EXPECT_EQ(big.rows(big.working), whole) << kill;
        EXPECT_EQ(big.resume(10), nullptr);  // nothing left to go on with
    }
}

// Going on with a copy cut short needs the table it came from and the rows it copied, exactly:
// a record skipped or taken twice would be lost or doubled at the write-back.
TEST(ImportTail, ACopyCutShortIsNotGoneOnWithWhenTheTableOrItsRowsChanged) {
    const std::vector<std::pair<std::string, std::function<void(BigTable&)>>> changes = {
        {"was changed in the Paradox folder",
         [](BigTable& big) {
             const pdx::Schema schema = readTable(big.env.paradoxFolder / "BIG.db").schema;
             fs::remove(big.env.paradoxFolder / "BIG.db");  // someone else saved it meanwhile
             writeTable(big.env.paradoxFolder, "BIG", schema,
                        {{std::int64_t{7}, std::string("row 6"), pdx::Date{730000}}});
         }},
        {"no longer holds the rows it copied",
         [](BigTable& big) { sqliteExec(big.env.workingDb(), "INSERT INTO \"" + big.working + "\" (N) VALUES (-1)"); }},
        {"no longer holds the rows it copied",
         [](BigTable& big) { sqliteExec(big.env.workingDb(), "DELETE FROM \"" + big.working + "\" WHERE rowid = 5"); }},
    };
    for (const auto& [why, change] : changes) {
        BigTable big(30000);
        big.start(10).reset();
        change(big);
        const std::string error = errorOf([&] { big.resume(10); });
        EXPECT_NE(error.find(why), std::string::npos) << error;
        EXPECT_FALSE(big.complete());
    }
}

}  // namespace
}  // namespace vts::test
