// The write-back killed, or failing with an I/O error, before each file-system call in turn, on
// a keyed table with .MB, .PX, .VAL and a secondary index. After recovery (the table list, as the
// next start would do it) the folder holds the whole old family or the whole new one, never a
// mix and no debris; when the old one is there the edit is still in the working table, and a
// retry succeeds.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <map>

#include "bridge/paradox.h"
#include "bridge/table_list.h"
#include "bridge_env.h"
#include "platform/pdx/read/secondary_index.h"
#include "platform/pdx/replace/undo_by_names.h"
#include "tests/support/fixture_copy.h"
#include "tests/support/replace_debris.h"
#include "tests/support/headless.h"

namespace vts::test {
namespace {

using Files = std::map<std::string, std::string>;

Files folderFiles(const fs::path& dir) {
    Files files;
    for (const auto& name : fileNames(dir)) {
        std::ifstream in(dir / name, std::ios::binary);
        files[name] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

// CUSTOMER with a .VAL beside it, imported, one value edited in the working table.
struct Scene {
    BridgeEnv env;
    Files before;
    TableContents original;
    std::string column;

    Scene() {
        copyFamily(fixtures() / "db", "CUSTOMER", env.paradoxFolder);
        copyWritable(fixtures() / "db" / "AREACODE.VAL", env.paradoxFolder / "CUSTOMER.VAL");
        before = folderFiles(env.paradoxFolder);
        original = readTable(env.paradoxFolder / "CUSTOMER.DB");
        ImportParadoxTable(env.ctx, "CUSTOMER");
        column = original.schema.fields.at(1).name;
        env.edit("CUSTOMER", "UPDATE " + env.working("CUSTOMER") + " SET `" + column + "` = 'Edited' WHERE rowid = 1");
    }

    std::vector<pdx::Record> edited() const {
        auto rows = original.records;
        rows.at(0).at(1) = std::string("Edited");
        return rows;
    }

    // Recovery as the next start runs it: listing the tables of the folder.
    void recover() {
        VectorTableList list;
        AddTablesToParadoxListbox(env.ctx, list);
    }

    bool editStillInWorkingTable() {
        return WorkingTableExists(env.ctx, WorkingTableName(env.folderText, "CUSTOMER")) &&
               sqliteColumn(env.workingDb(),
                            "SELECT `" + column + "` FROM " + env.working("CUSTOMER") + " WHERE rowid = 1")
                       .at(0) == "Edited";
    }

    // "old" or "new" when the folder holds exactly that family; a description of the fault otherwise.
    std::string state() {
        if (!replaceDebris(env.paradoxFolder).empty()) return "debris: " + replaceDebris(env.paradoxFolder).front();
        const Files now = folderFiles(env.paradoxFolder);
        if (now == before) return "old";
        const std::vector<std::string> newNames{"CUSTOMER.DB",  "CUSTOMER.MB",  "CUSTOMER.PX",
                                                "CUSTOMER.VAL", "CUSTOMER.X06", "CUSTOMER.Y06"};
        if (fileNames(env.paradoxFolder) != newNames) return "a mixed set of files";
        if (now.at("CUSTOMER.VAL") != before.at("CUSTOMER.VAL")) return "a changed .VAL";
        try {
            if (readTable(env.paradoxFolder / "CUSTOMER.DB").records != edited()) return "other records";
            for (const auto& index : pdx::readSecondaryIndexes(env.paradoxFolder / "CUSTOMER.DB"))
                if (pdx::readIndexEntries(index).size() != edited().size()) return "a stale index " + index.extension;
        } catch (const std::exception& e) {
            return std::string("an unreadable table: ") + e.what();
        }
        return "new";
    }

    // A write-back killed before its killAt-th file-system call.
    void killAt(int killAt) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int calls = 0;
            WriteBackHooks hooks;
            hooks.beforeWrite = [&] {
                if (++calls == killAt) ::kill(::getpid(), SIGKILL);
            };
            try {
                SaveTableToParadox(env.ctx, "CUSTOMER", hooks);
            } catch (...) {
                ::_exit(2);
            }
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child was not killed";
    }

    void expectRetrySucceeds() {
        WriteBackHooks hooks;
        SaveTableToParadox(env.ctx, "CUSTOMER", hooks);
        EXPECT_EQ(state(), "new");
    }
};

// File-system calls one undisturbed write-back makes.
int callsOfOneWriteBack() {
    Scene scene;
    int calls = 0;
    WriteBackHooks hooks;
    hooks.beforeWrite = [&] { ++calls; };
    SaveTableToParadox(scene.env.ctx, "CUSTOMER", hooks);
    EXPECT_EQ(scene.state(), "new");
    return calls;
}

// Named by the state of the replacement the kill left on disk: up to S3 recovery puts the old
// table back, from S4 on it finishes the new one.
TEST(CrashPoint, AKillBeforeAnyCallLeavesTheOldOrTheNewTable) {
    const int total = callsOfOneWriteBack();
    ASSERT_GT(total, 15);
    std::map<std::string, int> killsIn;
    int olds = 0, news = 0;
    for (int killAt = 1; killAt <= total; ++killAt) {
        Scene scene;
        scene.killAt(killAt);
        std::string shown = replaceStateShown(scene.env.paradoxFolder);
        if (shown == "no debris") shown = scene.state() == "old" ? "before S1" : "S5 Done";
        ++killsIn[shown];
        SCOPED_TRACE("killed in " + shown + ", before call " + std::to_string(killAt) + " of " + std::to_string(total));
        scene.recover();
        const std::string state = scene.state();
        const bool oldExpected =
            shown == "before S1" || shown == "S1 Staged" || shown == "S2 Journaled" || shown == "S3 Moving";
        EXPECT_EQ(state, oldExpected ? "old" : "new");
        if (state == "old") {
            ++olds;
            EXPECT_TRUE(scene.editStillInWorkingTable());
            scene.expectRetrySucceeds();
        } else {
            ++news;
        }
    }
    for (const char* state : {"S1 Staged", "S2 Journaled", "S3 Moving", "S4 Installed"})
        EXPECT_GT(killsIn[state], 0) << "no kill in " << state;
    RecordProperty("calls", total);
    RecordProperty("old_table_after_kill", olds);
    RecordProperty("new_table_after_kill", news);
}

TEST(CrashPoint, AnIoErrorAtAnyCallIsReportedOrHarmless) {
    const int total = callsOfOneWriteBack();
    int reported = 0;
    for (int failAt = 1; failAt <= total; ++failAt) {
        SCOPED_TRACE("I/O error at call " + std::to_string(failAt) + " of " + std::to_string(total));
        Scene scene;
        int calls = 0;
        WriteBackHooks hooks;
        hooks.beforeWrite = [&] {
            if (++calls == failAt) throw std::runtime_error("Injected I/O error");
        };
        try {
            SaveTableToParadox(scene.env.ctx, "CUSTOMER", hooks);
        } catch (const std::exception& e) {
            // Reported: the old table is in place at once, without waiting for recovery.
            ++reported;
            EXPECT_NE(std::string(e.what()).find("Injected I/O error"), std::string::npos) << e.what();
            EXPECT_EQ(scene.state(), "old");
            EXPECT_TRUE(scene.editStillInWorkingTable());
            EXPECT_EQ(scene.env.ends, 0);
            scene.expectRetrySucceeds();
            continue;
        }
        // Not reported: the new table was in place; what was left to clean up goes at recovery.
        EXPECT_EQ(scene.env.ends, 1);
        scene.recover();
        EXPECT_EQ(scene.state(), "new");
    }
    EXPECT_GT(reported, total / 2);
    RecordProperty("calls", total);
    RecordProperty("reported_failures", reported);
}

// The folder of a killed write-back copied away and back (new inode numbers, as a restored
// backup has): recovery tells the files by size and time where the copy kept them, and otherwise
// changes nothing, leaving the files to "pdxtool recover --undo", which puts the old table back.
TEST(CrashPoint, AKilledSaveCopiedElsewhereRecoversWholeOrIsLeftForTheUndo) {
    const int total = callsOfOneWriteBack();
    for (const std::string copy : {"cp -a", "cp -r"}) {
        int byHand = 0;
        for (int killAt = 1; killAt <= total; ++killAt) {
            SCOPED_TRACE(copy + ", killed before call " + std::to_string(killAt) + " of " + std::to_string(total));
            Scene scene;
            scene.killAt(killAt);
            const fs::path folder = scene.env.paradoxFolder, copied = folder.string() + ".copy";
            ASSERT_EQ(std::system((copy + " '" + folder.string() + "' '" + copied.string() + "'").c_str()), 0);
            fs::remove_all(folder);
            fs::rename(copied, folder);
            scene.recover();
            std::string state = scene.state();
            if (state != "old" && state != "new") {
                ++byHand;
                pdx::undoByNames(folder, "CUSTOMER", false);
                for (const auto& name : replaceDebris(folder))
                    if (name.find(".vts-kept-") != std::string::npos) fs::remove(folder / name);
                scene.recover();
                state = scene.state();
            }
            EXPECT_TRUE(state == "old" || state == "new") << state;
        }
        EXPECT_EQ(byHand > 0, copy == "cp -r");
    }
}

}  // namespace
}  // namespace vts::test
