#include "bridge/row_copy.h"

#include "bridge/if_null.h"
#include "platform/pdx/format/value_text.h"

namespace vts {

namespace {

// Step 8.3: one value of the current row, through IfNull with an empty text as replacement, in
// its text form (bytes as they are); an empty text or blob is stored as Null. Whole numbers and
// doubles are bound as what they are: the working column's affinity would turn their text back
// into the same number, at the cost of printing and parsing every one.
void setValue(pdx::Value& out, const pdx::Value& value) {
    if (std::holds_alternative<std::int64_t>(value) || std::holds_alternative<double>(value)) {
        out = value;
        return;
    }
    static const pdx::Value kEmptyText{std::string()};
    const pdx::Value& shown = IfNull(value, kEmptyText);
    if (const auto* bytes = std::get_if<pdx::Bytes>(&shown)) {
        out = bytes->empty() ? pdx::Value{} : shown;
        return;
    }
    if (const auto* text = std::get_if<std::string>(&shown)) {
        // Into the storage the row before left, where it is text too: no allocation per value.
        if (text->empty()) out = pdx::Value{};
        else if (auto* kept = std::get_if<std::string>(&out)) kept->assign(*text);
        else out = *text;
        return;
    }
    std::string text = pdx::toText(shown);
    out = text.empty() ? pdx::Value{} : pdx::Value{std::move(text)};
}

}  // namespace

CommitOnExit::~CommitOnExit() {
    if (open_) try {
            connection_.CommitTrans();
        } catch (...) {  // the error that ended the copy is the one to report
        }
}

void CommitOnExit::commit() {
    open_ = false;
    connection_.CommitTrans();
}

void copyRow(db::Cursor& table, std::vector<pdx::Value>& values, db::Connection& working, const std::string& target) {
    for (size_t i = 0; i < values.size(); ++i) setValue(values[i], table.value(static_cast<int>(i)));
    working.InsertRow(target, values);
    table.moveNext();
}

}  // namespace vts
