#include "pages/kept_edits.h"

#include "bridge/paradox.h"
#include "platform/shell/error_trap.h"

namespace vts {

namespace {

constexpr const char* kChoices = "\r\n\r\nYes: write them back now. No: discard them. Cancel: ";

// Yes writes back, No discards; true when that was done.
bool carryOut(AppContext& ctx, int answer, const std::string& folder, const std::string& name, const char* where) {
    ErrorTrap trap(ctx.dialogs, errorTag("KeptEdits", where));
    return trap.step(100, [&] {
        if (answer == mb::Yes) WriteBackTable(ctx, name, folder, {});
        else DiscardWorkingTable(ctx, WorkingTableName(folder, name));
    });
}

}  // namespace

bool SettleSessionEdits(AppContext& ctx, PageState& state) {
    if (!state.session) return true;
    const EditSession& s = *state.session;
    bool unsaved = true;
    ErrorTrap trap(ctx.dialogs, errorTag("KeptEdits", "SettleSessionEdits"));
    if (!trap.step(100, [&] { unsaved = WorkingTableHasUnsavedEdits(ctx, s.working()); })) return false;
    if (unsaved) {
        const int answer =
            ctx.message("The table " + s.name() + " has changes that are not yet saved to the Paradox folder." +
                            kChoices + "go back to them.",
                        mb::YesNoCancel | mb::Question);
        if (answer == mb::Cancel || !carryOut(ctx, answer, s.folder(), s.name(), "SettleSessionEdits")) return false;
    }
    state.session.reset();
    return true;
}

void OfferLeftEdits(AppContext& ctx) {
    std::vector<TableOfEdits> left;
    ErrorTrap trap(ctx.dialogs, errorTag("KeptEdits", "OfferLeftEdits"));
    if (!trap.step(100, [&] { left = TablesWithUnsavedEdits(ctx); })) return;
    for (const TableOfEdits& t : left) {
        const auto claim = EditSession::claim(ctx, t.folder, t.name);
        if (!claim) continue;  // an open window is editing it
        const int answer = ctx.message("The table " + t.name + " in \"" + t.folder +
                                           "\" has changes from an earlier run of this program that were not saved to "
                                           "the Paradox folder." +
                                           kChoices + "keep them (choosing the table again goes on with them).",
                                       mb::YesNoCancel | mb::Question);
        if (answer != mb::Cancel) carryOut(ctx, answer, t.folder, t.name, "OfferLeftEdits");
    }
}

}  // namespace vts
