// A write that fails at any disk write (simulated through the beforeWrite hook) leaves no new
// table, the earlier table untouched whether set aside or not, and no temporary files.
#include <gtest/gtest.h>

#include <map>

#include "tests/platform/pdx/writer_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace pdxtest;

using Snapshot = std::map<std::string, std::vector<std::uint8_t>>;

Snapshot snapshot(const fs::path& dir) {
    Snapshot s;
    for (const auto& e : fs::directory_iterator(dir)) s[e.path().filename().string()] = fileBytes(e.path());
    return s;
}

int tablesIn(const fs::path& dir) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir)) n += lower(e.path().extension().string()) == ".db";
    return n;
}

// The memo fixture (keyed, .MB, .PX) plus a record whose memo is too big for the write buffer,
// written back under the name of the table it came from, keeping a .VAL.
class FaultScenario {
protected:
    virtual ~FaultScenario() = default;
    virtual bool setAside() const = 0;

    void prepare(const fs::path& dir) {
        copyFamily(fs::path(VTS_FIXTURES) / "fields/memo.db", dir);
        fs::copy_file(fs::path(VTS_FIXTURES) / "joins/A.VAL", dir / "kept.VAL");
        if (setAside()) pdx::setAside(dir, "memo");
    }

    // Counts the hook calls in `calls`; the failAt-th one throws (0: none does).
    void write(const fs::path& dir, int failAt) {
        calls = 0;
        pdx::WriterOptions opt;
        opt.keepVal = dir / "kept.VAL";
        opt.changeCount2 = 9;
        opt.beforeWrite = [this, failAt] {
            if (++calls == failAt) throw pdx::Error("simulated I/O error");
        };
        pdx::TableWriter w(dir, "memo", table.info.schema, opt);
        for (const auto& r : table.records) w.append(r);
        w.append({std::int64_t{99}, std::string(1'500'000, 'x')});
        w.finish();
        w.install();
    }

    Table table = readAll(fs::path(VTS_FIXTURES) / "fields/memo.db");
    int calls = 0;
};

class WriterFaults : public FaultScenario, public ::testing::TestWithParam<bool> {
protected:
    bool setAside() const override { return GetParam(); }
};

class WriterAsideTable : public FaultScenario, public ::testing::Test {
protected:
    bool setAside() const override { return true; }
};

class WriterTableInPlace : public FaultScenario, public ::testing::Test {
protected:
    bool setAside() const override { return false; }
};

TEST_P(WriterFaults, EveryFailedWriteLeavesTheFolderAsItWas) {
    {
        vts::test::TempDir probe;
        prepare(probe.path());
        if (setAside()) write(probe.path(), 0);
        else EXPECT_THROW(write(probe.path(), 0), pdx::Error);  // install refuses: memo.db is there
    }
    const int total = calls;
    ASSERT_GE(total, 8);  // data and header writes of .db, .MB, .PX, .VAL, and the renames

    for (int failAt = 1; failAt <= total; ++failAt) {
        SCOPED_TRACE("failing write " + std::to_string(failAt) + " of " + std::to_string(total));
        vts::test::TempDir tmp;
        prepare(tmp.path());
        const Snapshot before = snapshot(tmp.path());
        EXPECT_THROW(write(tmp.path(), failAt), pdx::Error);
        EXPECT_EQ(snapshot(tmp.path()), before);  // same names, same bytes: no temp files left
        EXPECT_EQ(tablesIn(tmp.path()), setAside() ? 0 : 1);
    }
}

TEST_F(WriterAsideTable, WithoutAFaultTheNewTableReplacesIt) {
    vts::test::TempDir tmp;
    prepare(tmp.path());
    const Snapshot before = snapshot(tmp.path());
    write(tmp.path(), 0);
    for (const auto& [name, bytes] : before) EXPECT_EQ(fileBytes(tmp / name), bytes) << name;
    const Table t = readAll(tmp / "memo.db");
    EXPECT_EQ(t.records.size(), table.records.size() + 1);
    EXPECT_EQ(t.info.changeCount2, 9);
    EXPECT_EQ(fileBytes(tmp / "memo.VAL"), fileBytes(tmp / "kept.VAL"));
    Snapshot after = snapshot(tmp.path());
    for (const char* name : {"memo.db", "memo.MB", "memo.PX", "memo.VAL"}) after.erase(name);
    EXPECT_EQ(after, before);  // nothing else appeared: no temporary files
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

TEST_F(WriterAsideTable, AStaleCompanionLeftBehindStopsTheInstall) {
    vts::test::TempDir tmp;
    prepare(tmp.path());
    fs::copy_file(fs::path(VTS_FIXTURES) / "db/CUSTOMER.X06", tmp / "MEMO.X06");  // would index the new table
    const Snapshot before = snapshot(tmp.path());
    EXPECT_THROW(write(tmp.path(), 0), pdx::Error);
    EXPECT_EQ(snapshot(tmp.path()), before);
}

INSTANTIATE_TEST_SUITE_P(EarlierTable, WriterFaults, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "SetAside" : "InPlace"; });

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
