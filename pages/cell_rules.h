// How a grid cell may be edited, by column: what input is accepted and what value it stores.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/db/jet_types.h"
#include "platform/pdx/format/codepage.h"
#include "platform/pdx/format/picture.h"
#include "platform/pdx/format/types.h"
#include "platform/pdx/read/validity_checks.h"

namespace vts {

enum class CellKind {
    Integer,
    Number,
    Decimal,
    Date,
    Timestamp,
    DateOrTimestamp,
    Time,
    Logical,
    Text,
    Memo,
    Hex,
    Binary
};

struct CellRule {
    CellKind kind = CellKind::Text;
    long long min = 0, max = 0;  // Integer range
    int maxLength = 0;           // Text characters or Hex bytes; 0 = no limit
    int decimals = -1;           // Decimal places allowed; -1 = any
    // Text and Memo: the Paradox table's code page, so that text it cannot store, or an Alpha
    // text too long in its bytes, is refused here rather than when the table is written back.
    std::shared_ptr<pdx::CodePage> codePage;
    // Why the column's values must stay as they are (a key or index the program cannot reorder).
    std::string keptBecause;
    // An autoincrement field: the table gives each new row its number, which is never typed (a
    // typed one could repeat another record's).
    bool numbered = false;
    // A currency field: shown with two decimals (edited and stored as it is).
    bool money = false;
    // The table's own validity check of the field, and its picture made ready to match.
    pdx::FieldCheck check;
    std::shared_ptr<const pdx::Picture> picture;
    bool editable() const { return kind != CellKind::Binary && keptBecause.empty() && !numbered; }
    // Why a cell of a column that is not editable cannot be changed; shown on hover.
    std::string readOnlyReason() const {
        if (!keptBecause.empty()) return keptBecause;
        if (numbered) return "The table numbers this field itself: a new row takes the next number.";
        return editable() ? std::string()
                          : "Binary data (a picture, an OLE object or bytes) cannot be edited in the grid; it is "
                            "written back to the table as it is.";
    }
    bool multiLine() const { return kind == CellKind::Memo; }
};

// From the working column's Jet type (none: a column declared otherwise, edited as text), refined
// by the Paradox field it was imported from.
CellRule cellRuleFor(std::optional<db::JetType> jetType, const std::optional<pdx::Field>& source,
                     std::shared_ptr<pdx::CodePage> codePage = {});

struct CellInput {
    bool ok = false;
    pdx::Value value;    // what to store (Null for empty input)
    std::string reason;  // why the input was refused
};

// Adds the table's validity check of the field to the rule.
void addFieldCheck(CellRule& rule, const pdx::FieldCheck& check);

// Checks typed text against the rule (the picture first, then the type, then the table's minimum
// and maximum); empty text always stores Null (a required field is the row's concern).
CellInput parseCellInput(const CellRule& rule, const std::string& text);

}  // namespace vts
