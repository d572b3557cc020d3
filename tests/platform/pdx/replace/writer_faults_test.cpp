// A write that fails at any file-system call (simulated through the beforeWrite hook) leaves the
// earlier table untouched or, once the new one is in place, the new one, and no temporary files.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "platform/pdx/protect/password_key.h"
#include "platform/pdx/replace/table_replace.h"

#include "tests/platform/pdx/writer_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace pdxtest;

using Snapshot = std::map<std::string, std::vector<std::uint8_t>>;

// Every file but the lock file, which stays once made.
Snapshot snapshot(const fs::path& dir) {
    Snapshot s;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename() != ".vts-lock") s[e.path().filename().string()] = readBytes(e.path());
    return s;
}

int tablesIn(const fs::path& dir) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir)) n += lower(e.path().extension().string()) == ".db";
    return n;
}

// The memo fixture (keyed, .MB, .PX) plus a record whose memo is too big for the write buffer,
// written under the name of the table it came from, keeping a .VAL: through a replacement of
// the table in place, or through a plain install, which must refuse to replace anything.
class FaultScenario {
protected:
    virtual ~FaultScenario() = default;
    virtual bool replaced() const = 0;
    virtual std::uint32_t key() const { return 0; }  // non-zero: the new table is password-protected

    void prepare(const fs::path& dir) {
        copyFamily(vts::test::fixtures() / "fields/memo.db", dir);
        fs::copy_file(vts::test::fixtures() / "joins/A.VAL", dir / "kept.VAL");
    }

    // Counts the hook calls in `calls`; the failAt-th one throws (0: none does).
    void write(const fs::path& dir, int failAt) {
        calls = 0;
        const pdx::WriteHook hook = [this, failAt] {
            if (++calls == failAt) throw pdx::Error("simulated I/O error");
        };
        std::optional<pdx::TableReplacement> replace;
        pdx::WriterOptions opt;
        opt.keepVal = dir / "kept.VAL";
        opt.changeCount2 = 9;
        opt.beforeWrite = hook;
        opt.key = key();
        if (replaced()) {
            replace.emplace(dir, "memo", pdx::ReplaceOptions{hook});
            opt.place = [&replace](const std::string& ext) { return replace->place(ext); };
        }
        pdx::TableWriter w(dir, "memo", table.info.schema, opt);
        for (const auto& r : table.records) w.append(r);
        w.append({std::int64_t{99}, std::string(1'500'000, 'x')});
        w.finish();
        if (replace) replace->commit(w);
        else w.install();
    }

    Table table = readAll(vts::test::fixtures() / "fields/memo.db");
    int calls = 0;
};

struct FaultCase {
    bool replaced;
    bool protect;
};

class WriterFaults : public FaultScenario, public ::testing::TestWithParam<FaultCase> {
protected:
    bool replaced() const override { return GetParam().replaced; }
    std::uint32_t key() const override { return GetParam().protect ? pdx::keyFromPassword("pw") : 0; }
};

// Records of the table as written, protected or not.
std::size_t recordsIn(const fs::path& db) {
    pdx::TableReader r(db, {"", true});
    std::size_t n = 0;
    for (pdx::Record rec; r.next(rec);) ++n;
    return n;
}

class WriterReplacement : public FaultScenario, public ::testing::Test {
protected:
    bool replaced() const override { return true; }
};

class WriterTableInPlace : public FaultScenario, public ::testing::Test {
protected:
    bool replaced() const override { return false; }
};

// A failure before the new table is in place leaves every byte as it was; one after it (while
// the old files are removed) is not reported, and recovery finishes the job.
TEST_P(WriterFaults, EveryFailedCallLeavesTheOldOrTheNewTable) {
    {
        vts::test::TempDir probe;
        prepare(probe.path());
        if (replaced()) write(probe.path(), 0);
        else EXPECT_THROW(write(probe.path(), 0), pdx::Error);  // install refuses: memo.db is there
    }
    const int total = calls;
    ASSERT_GE(total, 8);  // creates, writes and syncs of .db, .MB, .PX, .VAL, the journal, the renames

    int reportedFailures = 0;
    for (int failAt = 1; failAt <= total; ++failAt) {
        SCOPED_TRACE("failing call " + std::to_string(failAt) + " of " + std::to_string(total));
        vts::test::TempDir tmp;
        prepare(tmp.path());
        const Snapshot before = snapshot(tmp.path());
        try {
            write(tmp.path(), failAt);
        } catch (const pdx::Error&) {
            ++reportedFailures;
            EXPECT_EQ(snapshot(tmp.path()), before);  // same names, same bytes: no temporary files left
            EXPECT_EQ(tablesIn(tmp.path()), 1);
            continue;
        }
        ASSERT_TRUE(replaced());
        pdx::recoverTable(tmp.path(), "memo");
        Snapshot after = snapshot(tmp.path());
        EXPECT_EQ(after.size(), before.size() + 1) << "the new .VAL and nothing else";
        EXPECT_EQ(recordsIn(tmp / "memo.db"), table.records.size() + 1);
    }
    EXPECT_GT(reportedFailures, total / 2);
}

TEST_F(WriterReplacement, WithoutAFaultTheNewTableReplacesIt) {
    vts::test::TempDir tmp;
    prepare(tmp.path());
    Snapshot before = snapshot(tmp.path());
    write(tmp.path(), 0);
    const Table t = readAll(tmp / "memo.db");
    EXPECT_EQ(t.records.size(), table.records.size() + 1);
    EXPECT_EQ(t.info.changeCount2, 9);
    // A new companion is named like the table file: memo.db gets memo.val.
    EXPECT_EQ(readBytes(tmp / "memo.val"), readBytes(tmp / "kept.VAL"));
    Snapshot after = snapshot(tmp.path());
    for (const char* name : {"memo.db", "memo.mb", "memo.px", "memo.val"}) {
        after.erase(name);
        before.erase(name);
    }
    EXPECT_EQ(after, before);  // nothing else appeared: no temporary files, no journal
}

TEST_F(WriterTableInPlace, InstallNeverReplacesAFileOfTheTable) {
    vts::test::TempDir tmp;
    prepare(tmp.path());
    fs::rename(tmp / "memo.db", tmp / "MEMO.DB");  // another letter case is the same table
    const Snapshot before = snapshot(tmp.path());
    try {
        write(tmp.path(), 0);
        ADD_FAILURE() << "install replaced the earlier table";
    } catch (const pdx::Error& e) {
        EXPECT_NE(std::string(e.what()).find("moved aside"), std::string::npos) << e.what();
    }
    EXPECT_EQ(snapshot(tmp.path()), before);
}

// A secondary index of the old table would contradict the new one: it goes with the old family.
TEST_F(WriterReplacement, AnOldSecondaryIndexGoesWithTheOldTable) {
    vts::test::TempDir tmp;
    prepare(tmp.path());
    fs::copy_file(vts::test::fixtures() / "db/CUSTOMER.X06", tmp / "MEMO.X06");
    write(tmp.path(), 0);
    EXPECT_FALSE(fs::exists(tmp / "MEMO.X06"));
    EXPECT_EQ(readAll(tmp / "memo.db").records.size(), table.records.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(EarlierTable, WriterFaults,
                         ::testing::Values(FaultCase{true, false}, FaultCase{false, false}, FaultCase{true, true}),
                         [](const auto& info) {
                             return std::string(info.param.replaced ? "Replaced" : "InPlace") +
                                    (info.param.protect ? "Protected" : "");
                         });

TEST(WriterCleanup, UnfinishedWriterLeavesNothing) {
    vts::test::TempDir tmp;
    {
        pdx::Schema s;
        s.fields = {{"Id", pdx::FieldType::Long, 4}, {"Text", pdx::FieldType::Memo, 20}};
        pdx::TableWriter w(tmp.path(), "T", s);
        w.append({std::int64_t{1}, std::string(5000, 'a')});
    }
    EXPECT_TRUE(fs::is_empty(tmp.path()));
}

}  // namespace
