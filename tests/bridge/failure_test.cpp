// The write-back when something goes wrong: each failure gives an error, leaves the Paradox
// table readable and unchanged and the edits in the working table, and a retry succeeds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "bridge/paradox.h"
#include "bridge_env.h"
#include "tests/support/replace_debris.h"
#include "platform/pdx/io/family.h"

namespace vts::test {
namespace {

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    ADD_FAILURE() << "no error";
    return {};
}

// CUSTOMER from the fixtures (memo field, secondary index) with one edit in the working table.
class WriteBackFailure : public ::testing::Test {
protected:
    void SetUp() override {
        copyFamily(fixtures() / "db", "CUSTOMER", env.paradoxFolder);
        original = readTable(fixtures() / "db" / "CUSTOMER.DB");
        filesBefore = fileNames(env.paradoxFolder);
        ImportParadoxTable(env.ctx, "CUSTOMER");
        const std::string column = original.schema.fields.at(1).name;
        env.edit("CUSTOMER", "UPDATE " + env.working("CUSTOMER") + " SET `" + column + "` = 'Edited' WHERE rowid = 1");
        hooks.setWriteBackDone = [this] { ++done; };
    }

    // The error came through, nothing changed in the folder, the edit is still there.
    void expectUnchanged(const fs::path& folder) {
        EXPECT_EQ(done, 0);
        EXPECT_EQ(env.ends, 0);
        EXPECT_EQ(fileNames(folder), filesBefore);
        const auto now = readTable(folder / "CUSTOMER.DB");
        EXPECT_EQ(now.schema, original.schema);
        EXPECT_EQ(now.records, original.records);
        EXPECT_TRUE(replaceDebris(folder).empty());
        EXPECT_EQ(editedValue(), "Edited");
    }

    std::string editedValue() {
        const std::string column = original.schema.fields.at(1).name;
        return sqliteColumn(env.workingDb(),
                            "SELECT `" + column + "` FROM " + env.working("CUSTOMER") + " WHERE rowid = 1")
            .at(0);
    }

    void expectRetrySucceeds() {
        SaveTableToParadox(env.ctx, "CUSTOMER", hooks);
        EXPECT_EQ(done, 1);
        EXPECT_EQ(env.ends, 1);
        EXPECT_FALSE(WorkingTableExists(env.ctx, WorkingTableName(env.folderText, "CUSTOMER")));
        const auto written = readTable(env.paradoxFolder / "CUSTOMER.db");
        EXPECT_EQ(written.schema, original.schema);
        ASSERT_EQ(written.records.size(), original.records.size());
        auto expected = original.records;
        expected[0][1] = std::string("Edited");
        EXPECT_EQ(written.records, expected);
        EXPECT_TRUE(replaceDebris(env.paradoxFolder).empty());
    }

    std::string failWith(const std::function<void()>& f) { return errorOf(f); }

    BridgeEnv env;
    TableContents original;
    std::vector<std::string> filesBefore;
    WriteBackHooks hooks;
    int done = 0;
};

TEST_F(WriteBackFailure, UnwritableFolderThroughTheWriteHook) {
    // Tests run as root, which ignores permission bits: the failing write stands in for them.
    hooks.beforeWrite = [] { throw std::runtime_error("Permission denied"); };
    EXPECT_NE(failWith([&] { SaveTableToParadox(env.ctx, "CUSTOMER", hooks); }).find("Permission denied"),
              std::string::npos);
    expectUnchanged(env.paradoxFolder);
    hooks.beforeWrite = {};
    expectRetrySucceeds();
}

TEST_F(WriteBackFailure, UnwritableFolderForRealWhenNotRoot) {
    if (geteuid() == 0) GTEST_SKIP() << "root ignores permission bits";
    fs::permissions(env.paradoxFolder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(failWith([&] { SaveTableToParadox(env.ctx, "CUSTOMER", hooks); }).empty());
    fs::permissions(env.paradoxFolder, fs::perms::owner_write, fs::perm_options::add);
    expectUnchanged(env.paradoxFolder);
    expectRetrySucceeds();
}

TEST_F(WriteBackFailure, FolderReplacedByAFile) {
    const fs::path away = env.root.path() / "away";
    fs::rename(env.paradoxFolder, away);
    std::ofstream(env.paradoxFolder) << "not a folder";
    EXPECT_FALSE(failWith([&] { SaveTableToParadox(env.ctx, "CUSTOMER", hooks); }).empty());
    expectUnchanged(away);
    fs::remove(env.paradoxFolder);
    fs::rename(away, env.paradoxFolder);
    expectRetrySucceeds();
}

TEST_F(WriteBackFailure, FolderRemovedAfterTheImport) {
    const fs::path away = env.root.path() / "away";
    fs::rename(env.paradoxFolder, away);
    EXPECT_FALSE(failWith([&] { SaveTableToParadox(env.ctx, "CUSTOMER", hooks); }).empty());
    EXPECT_FALSE(fs::exists(env.paradoxFolder));  // nothing was created in its place
    expectUnchanged(away);
    fs::rename(away, env.paradoxFolder);
    expectRetrySucceeds();
}

TEST_F(WriteBackFailure, ValueThatNoLongerFits) {
    const pdx::Field& field = original.schema.fields.at(1);
    ASSERT_EQ(field.type, pdx::FieldType::Alpha);
    env.edit("CUSTOMER", "UPDATE " + env.working("CUSTOMER") + " SET `" + field.name + "` = '" +
                             std::string(field.size + 1, 'x') + "' WHERE rowid = 2");
    const std::string error = failWith([&] { SaveTableToParadox(env.ctx, "CUSTOMER", hooks); });
    EXPECT_NE(error.find(field.name), std::string::npos) << error;
    EXPECT_NE(error.find('2'), std::string::npos) << error;
    expectUnchanged(env.paradoxFolder);
    env.edit("CUSTOMER", "UPDATE " + env.working("CUSTOMER") + " SET `" + field.name + "` = " + "(SELECT `" +
                             field.name + "` FROM " + env.working("CUSTOMER") + " WHERE rowid = 3) WHERE rowid = 2");
    original.records[1][1] = original.records[2][1];
    expectRetrySucceeds();
}

TEST_F(WriteBackFailure, IoErrorAtEveryWriteInTurn) {
    int failures = 0;
    for (int failAt = 1; failAt < 200; ++failAt) {
        int writes = 0;
        hooks.beforeWrite = [&] {
            if (++writes == failAt) throw std::runtime_error("Injected I/O error");
        };
        try {
            SaveTableToParadox(env.ctx, "CUSTOMER", hooks);
        } catch (const std::exception& e) {
            ++failures;
            EXPECT_NE(std::string(e.what()).find("Injected I/O error"), std::string::npos);
            expectUnchanged(env.paradoxFolder);
            continue;
        }
        break;  // the hook no longer fired: the write-back completed
    }
    EXPECT_GT(failures, 2);
    EXPECT_EQ(done, 1);
    const auto written = readTable(env.paradoxFolder / "CUSTOMER.db");
    EXPECT_EQ(written.records.at(0).at(1), pdx::Value(std::string("Edited")));
}

// What the new table carries over from the old one (.VAL, autoincrement counter) must be read
// from it: an old table that has become unreadable stops the write-back instead of being
// replaced without them.
TEST_F(WriteBackFailure, AnOldTableThatCannotBeReadIsNotReplaced) {
    const fs::path db = env.paradoxFolder / "CUSTOMER.DB";
    fs::resize_file(db, 100);
    const auto damaged = fs::file_size(db);
    EXPECT_FALSE(failWith([&] { SaveTableToParadox(env.ctx, "CUSTOMER", hooks); }).empty());
    EXPECT_EQ(done, 0);
    EXPECT_EQ(fs::file_size(db), damaged);
    EXPECT_EQ(fileNames(env.paradoxFolder), filesBefore);
    EXPECT_EQ(editedValue(), "Edited");
}

TEST_F(WriteBackFailure, MissingWorkingTableKeepsTheParadoxTable) {
    sqliteExec(env.workingDb(), "DROP TABLE " + env.working("CUSTOMER"));
    EXPECT_FALSE(failWith([&] { SaveTableToParadox(env.ctx, "CUSTOMER", hooks); }).empty());
    EXPECT_EQ(done, 0);
    EXPECT_EQ(fileNames(env.paradoxFolder), filesBefore);
    EXPECT_EQ(readTable(env.paradoxFolder / "CUSTOMER.DB").records, original.records);
}

// A table whose .MB ends half-way: the import stops part-way and its rows must never replace
// the whole table, not even when the user closes the grid without an edit.
TEST(PartialImport, IsNeverWrittenBackAndAFullImportClearsTheMark) {
    BridgeEnv env;
    pdx::Schema schema;
    schema.fields = {{"N", pdx::FieldType::Long, 4}, {"Note", pdx::FieldType::Memo, 11}};
    std::vector<pdx::Record> rows;
    for (int i = 0; i < 200; ++i) rows.push_back({std::int64_t{i}, std::string(300, char('a' + i % 26))});
    writeTable(env.paradoxFolder, "NOTES", schema, rows);
    const fs::path mb = env.paradoxFolder / "NOTES.MB";
    const auto whole = fs::file_size(mb);
    const fs::path kept = env.paradoxFolder.parent_path() / "NOTES.MB.whole";
    fs::copy_file(mb, kept);
    fs::resize_file(mb, whole / 2);
    const auto filesBefore = fileNames(env.paradoxFolder);

    EXPECT_FALSE(errorOf([&] { ImportParadoxTable(env.ctx, "NOTES"); }).empty());
    ASSERT_TRUE(
        WorkingTableExists(env.ctx, WorkingTableName(env.folderText, "NOTES")));  // the rows before the failure stay
    const std::string why = errorOf([&] { SaveTableToParadox(env.ctx, "NOTES", {}); });
    EXPECT_NE(why.find("was not copied completely"), std::string::npos) << why;
    EXPECT_EQ(env.ends, 0);
    EXPECT_EQ(fileNames(env.paradoxFolder), filesBefore);
    EXPECT_EQ(fs::file_size(mb), whole / 2);

    fs::copy_file(kept, mb, fs::copy_options::overwrite_existing);
    ImportParadoxTable(env.ctx, "NOTES");
    SaveTableToParadox(env.ctx, "NOTES", {});
    EXPECT_EQ(env.ends, 1);
    EXPECT_EQ(readTable(env.paradoxFolder / "NOTES.db").records, rows);
}

}  // namespace
}  // namespace vts::test
