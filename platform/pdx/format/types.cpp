// Names and classification of Paradox field types.
#include "platform/pdx/format/types.h"

namespace pdx {

bool isBlobType(FieldType t) {
    switch (t) {
        case FieldType::Memo:
        case FieldType::Binary:
        case FieldType::FmtMemo:
        case FieldType::Ole:
        case FieldType::Graphic: return true;
        default: return false;
    }
}

const char* typeName(FieldType t) {
    switch (t) {
        case FieldType::Alpha: return "Alpha";
        case FieldType::Date: return "Date";
        case FieldType::Short: return "Short";
        case FieldType::Long: return "Long";
        case FieldType::Currency: return "Currency";
        case FieldType::Number: return "Number";
        case FieldType::Logical: return "Logical";
        case FieldType::Memo: return "Memo";
        case FieldType::Binary: return "Binary";
        case FieldType::FmtMemo: return "Formatted memo";
        case FieldType::Ole: return "OLE";
        case FieldType::Graphic: return "Graphic";
        case FieldType::Time: return "Time";
        case FieldType::Timestamp: return "Timestamp";
        case FieldType::AutoInc: return "Autoincrement";
        case FieldType::Bcd: return "BCD";
        case FieldType::Bytes: return "Bytes";
    }
    return "Unknown";
}

}  // namespace pdx
