// SaveTableToParadox: replaces the Paradox table with the working table, then ends the program.
#include <algorithm>

#include "bridge/edit_session.h"
#include "bridge/paradox.h"
#include "bridge/table_import.h"
#include "platform/shell/progress.h"
#include "platform/db/connection.h"
#include "platform/db/paradox_table.h"
#include "platform/pdx/io/family.h"
#include "platform/shell/errors.h"

namespace vts {

namespace {

// Steps 10 and 11: the edits are in the Paradox folder, so nothing may report the write-back as
// failed from here on, or the page would offer a retry that can only fail on the missing table.
void dropWorkingTable(db::Connection& working, const std::string& target) {
    try {
        if (working.TableExists(target)) working.DropTable(target);
        working.Close();
    } catch (const std::exception&) {
        // A working table left behind is replaced by the next import of the table.
    }
}

// What the user reads when the edits collide with someone else's: the first rows of them.
std::string collisionText(const std::string& why, const std::vector<std::string>& collisions) {
    std::string text = why + "\r\n\r\nYour changes could not be added to theirs:";
    const std::size_t shown = std::min<std::size_t>(collisions.size(), 10);
    for (std::size_t i = 0; i < shown; ++i) text += "\r\n- " + collisions[i];
    if (collisions.size() > shown) text += "\r\n- and " + std::to_string(collisions.size() - shown) + " more.";
    return text;
}

// The copy of their table the edits are carried into goes, however the merge ends.
class TheirCopy {
public:
    TheirCopy(db::Connection& working, std::string name) : working_(working), name_(std::move(name)) {}
    ~TheirCopy() {
        try {
            working_.DropTableIfExists(name_);
        } catch (const std::exception&) {  // the next merge replaces it
        }
    }
    const std::string& name() const { return name_; }

private:
    db::Connection& working_;
    std::string name_;
};

// Someone saved the table since its import: the session's edits go into their table where the
// two do not collide, and that is written in its place, again only while it is still theirs.
// Otherwise nothing is written and TableChanged says which rows collide.
std::vector<std::string> writeMerged(AppContext& ctx, db::Connection& working, const std::string& name,
                                     const std::string& folder, const std::string& mine, const TableChanged& changed) {
    TheirCopy theirs(working, "vts/theirs/" + mine);
    try {
        ImportParadoxTableAs(ctx, name, folder, theirs.name());
    } catch (const std::exception&) {  // their table cannot be read here: the user still chooses
        throw TableChanged(changed.what());
    }
    const auto collisions = working.MergeEdits(mine, theirs.name());
    if (!collisions.empty()) throw TableChanged(collisionText(changed.what(), collisions));
    const auto origin = working.OriginOf(theirs.name());
    const auto dropped = working.WriteParadoxTable({static_cast<long>(working.CompleteRowCount(theirs.name())), folder,
                                                    name, theirs.name(), origin ? origin->signature : std::string()});
    ctx.message("The table " + name +
                    " was saved by someone else since it was opened here. Your changes were added "
                    "to theirs, which kept their changes too.",
                mb::OkOnly | mb::Information);
    return dropped;
}

}  // namespace

void WriteBackTable(AppContext& ctx, const std::string& name, const std::string& folderText,
                    const WriteBackHooks& hooks) {
    const std::string target = WorkingTableName(folderText, name);
    // 1.
    db::Connection working;
    // 3. The Paradox folder must be there.
    db::requireParadoxFolder(folderText);
    // 4.
    working.Open(WorkingConnectionString(ctx.dataHome()));
    if (hooks.beforeWrite) working.SetBeforeWrite(hooks.beforeWrite);
    // Writing back a table whose import stopped part-way would lose every row it did not reach.
    if (!working.ImportComplete(target))
        throw Error("The table " + name +
                    " was not copied completely from the Paradox folder, so it is not written "
                    "back; the Paradox table stays as it was. Where the program ended while the table "
                    "was being copied, choosing the table again and going on with the changes "
                    "finishes the copy.");
    if (!working.TableExists(target)) throw Error("There are no edits of the table " + name + " to write back.");
    // An unedited table stays exactly as its owner wrote it (level, block size, every file).
    if (!working.HasUnsavedEdits(target)) {
        if (hooks.releaseGrid) hooks.releaseGrid();
        dropWorkingTable(working, target);
        return;
    }
    // 5. The table's files stay until step 9 replaces them in one step (a retry after a failure
    // further on finds them as they were).
    // 6. to 8. The rows to write.
    const long rowCount = static_cast<long>(working.CompleteRowCount(target));
    // The window keeps repainting and shows the progress while the table is written.
    UiThrottle yield(ctx.yieldToUi);
    ProgressThrottle report(hooks.progress, rowCount);
    working.SetRowWritten([&](long done) {
        report(done);
        yield();
    });
    // 9. The new table is in place once this succeeds, and only over the table that was imported.
    const auto origin = working.OriginOf(target);
    std::vector<std::string> droppedIndexes;
    try {
        droppedIndexes =
            working.WriteParadoxTable({rowCount, folderText, name, target, origin ? origin->signature : std::string()});
    } catch (const TableChanged& changed) {
        droppedIndexes = writeMerged(ctx, working, name, folderText, target, changed);
    }
    report.finish(rowCount);
    // 2. The grid lets go of the working table only now: a write that failed leaves it bound,
    // with every edit and their undo.
    if (hooks.releaseGrid) hooks.releaseGrid();
    dropWorkingTable(working, target);
    if (!droppedIndexes.empty()) {
        std::string text = "The table " + name + " was written back to the Paradox folder without some of its indexes:";
        for (const auto& why : droppedIndexes) text += "\r\n- " + why;
        ctx.message(text, mb::OkOnly | mb::Exclamation);
    }
}

std::string WriteBackTableAsNew(AppContext& ctx, const std::string& name, const std::string& folderText) {
    const std::string target = WorkingTableName(folderText, name);
    db::requireParadoxFolder(folderText);
    std::string free;
    for (int n = 2; free.empty(); ++n)
        if (!pdx::findTable(folderText, name + "_" + std::to_string(n))) free = name + "_" + std::to_string(n);
    db::Connection working;
    working.Open(WorkingConnectionString(ctx.dataHome()));
    working.WriteParadoxTable({static_cast<long>(working.RowCount(target)), folderText, free, target, ""});
    dropWorkingTable(working, target);
    return free;
}

void SaveTableToParadox(AppContext& ctx, const std::string& name, const std::string& folderText,
                        const WriteBackHooks& hooks) {
    WriteBackTable(ctx, name, folderText, hooks);
    // 12.
    if (hooks.setWriteBackDone) hooks.setWriteBackDone();
    ctx.endProgram();
}

}  // namespace vts
