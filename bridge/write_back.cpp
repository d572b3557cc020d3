// SaveTableToParadox: replaces the Paradox table with the working table, then ends the program.
#include "bridge/paradox.h"
#include "platform/shell/progress.h"
#include "platform/db/connection.h"
#include "platform/db/paradox_table.h"
#include "platform/shell/errors.h"

namespace vts {

void SaveTableToParadox(AppContext& ctx, const std::string& name, const std::string& folderText,
                        const WriteBackHooks& hooks) {
    // 1.
    db::Connection working;
    // 2.
    if (hooks.releaseGrid) hooks.releaseGrid();
    // 3. The Paradox folder must be there.
    db::requireParadoxFolder(folderText);
    // 4.
    working.Open(WorkingConnectionString(ctx.dataHome()));
    if (hooks.beforeWrite) working.SetBeforeWrite(hooks.beforeWrite);
    // Writing back a table whose import stopped part-way would lose every row it did not reach.
    if (!working.ImportComplete(name))
        throw Error("The table " + name +
                    " was not copied completely from the Paradox folder, so it is not written "
                    "back; the Paradox table stays as it was.");
    // 5. The table's files stay until step 9 replaces them in one step (a retry after a failure
    // further on finds them as they were).
    // 6. to 8. The rows to write.
    const long rowCount = static_cast<long>(working.RowCount(name));
    // The window keeps repainting and shows the progress while the table is written.
    UiThrottle yield(ctx.yieldToUi);
    ProgressThrottle report(hooks.progress, rowCount);
    working.SetRowWritten([&](long done) {
        report(done);
        yield();
    });
    // 9. The new table is in place once this succeeds.
    const auto droppedIndexes = working.WriteParadoxTable({rowCount, folderText, name, name});
    report.finish(rowCount);
    // From here on the edits are in the Paradox folder: nothing may report the write-back as
    // failed, or the page would offer a retry that can only fail on the missing working table.
    try {
        // 10.
        if (WorkingTableExists(ctx, name)) working.DropTable(name);
        // 11.
        working.Close();
    } catch (const std::exception&) {
        // A working table left behind is replaced by the next import of the table.
    }
    if (!droppedIndexes.empty()) {
        std::string text = "The table " + name + " was written back to the Paradox folder without some of its indexes:";
        for (const auto& why : droppedIndexes) text += "\r\n- " + why;
        ctx.message(text, mb::OkOnly | mb::Exclamation);
    }
    // 12.
    if (hooks.setWriteBackDone) hooks.setWriteBackDone();
    ctx.endProgram();
}

}  // namespace vts
