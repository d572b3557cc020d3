// Edits not yet written back are never left behind without a word: leaving them (Next on another
// table, closing the chooser or the folder page) asks once whether to write them back, discard
// them or go back to them, and the first start after a crash asks the same for each table whose
// edits the crash kept.
#pragma once
#include "pages/page_state.h"
#include "platform/shell/app_context.h"

namespace vts {

// True when the user may go on: the window's table has no unsaved edits, or they were written
// back or discarded (its claim then ends). False when the user chose to stay, or the write-back
// failed (reported; the edits are kept).
bool SettleSessionEdits(AppContext& ctx, PageState& state);

// For each table whose edits an earlier run left and no open window holds.
void OfferLeftEdits(AppContext& ctx);

}  // namespace vts
