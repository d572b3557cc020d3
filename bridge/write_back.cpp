// SaveTableToParadox: replaces the Paradox table with the working table, then ends the program.
#include "bridge/paradox.h"
#include "bridge/import_statements.h"
#include "bridge/ui_throttle.h"
#include "bridge/write_back_statements.h"
#include "platform/db/connection.h"
#include "platform/pdx/family.h"
#include "platform/shell/errors.h"

namespace vts {

namespace {

// Between the removal of the Paradox table and its rewrite the table's files lie set aside. If
// a step in that stretch fails, they go back at once, so the table is never lost or hidden.
class AsideGuard {
public:
    AsideGuard(std::string folder, std::string name) : folder_(std::move(folder)), name_(std::move(name)) {}
    ~AsideGuard() {
        if (!armed_) return;
        try {
            // Once a new table is in place (its old files failed to go), nothing may replace it.
            if (pdx::findTable(folder_, name_)) return;
            if (auto aside = pdx::findAside(folder_, name_)) pdx::restore(*aside);
        } catch (...) {  // the failure that brought us here is the one to report
        }
    }
    void arm() { armed_ = true; }
    void disarm() { armed_ = false; }

private:
    std::string folder_, name_;
    bool armed_ = false;
};

}  // namespace

void SaveTableToParadox(AppContext& ctx, const std::string& name, const WriteBackHooks& hooks) {
    // 1.
    db::Connection working(ctx.statementLog);
    db::Connection paradox(ctx.statementLog);
    db::Recordset rs;
    // 2.
    if (hooks.releaseGrid) hooks.releaseGrid();
    const std::string folderText = ctx.folderText();
    // 3.
    paradox.CursorLocation(ado::adUseClient);
    paradox.Open(ParadoxConnectionString(folderText));
    // 4.
    working.CursorLocation(ado::adUseServer);
    working.Mode(ado::adModeReadWrite);
    working.Open(WorkingConnectionString(ctx.appFolder));
    if (hooks.beforeWrite) working.SetBeforeWrite(hooks.beforeWrite);
    // Writing back a table whose import stopped part-way would lose every row it did not reach.
    if (!working.ImportComplete(name))
        throw Error("The table " + name + " was not copied completely from the Paradox folder, so it is not written "
                    "back; the Paradox table stays as it was.");
    // 5. Only a table that is there: a retry after a failure further on must get past this.
    AsideGuard guard(folderText, name);
    if (pdx::findTable(folderText, name)) {
        paradox.Execute(DropBackquotedStatement(name));
        guard.arm();
    }
    // 6.
    rs.CursorLocation(ado::adUseClient);
    rs.Open(SelectAllBracketedStatement(name), working, ado::adOpenStatic, ado::adLockReadOnly);
    // 7.
    long rowCount = 0;
    if (!rs.Eof()) rowCount = static_cast<long>(rs.RecordCount());
    // 8.
    if (rs.State() != 0) rs.Close();
    // The window keeps repainting and shows the progress while the table is written.
    UiThrottle yield(ctx.yieldToUi);
    ProgressThrottle report(hooks.progress, rowCount);
    working.SetRowWritten([&](long done) {
        report(done);
        yield();
    });
    // 9. The new table is in place once this succeeds.
    working.Execute(SelectIntoParadoxStatement(rowCount, CollapseBackslashes(folderText + "/"), name));
    guard.disarm();
    report.finish(rowCount);
    // 10.
    if (WorkingTableExists(ctx, name)) working.Execute(DropBracketedStatement(name));
    // 11.
    working.Close();
    paradox.Close();
    // 12.
    if (hooks.setWriteBackDone) hooks.setWriteBackDone();
    ctx.endProgram();
}

}  // namespace vts
