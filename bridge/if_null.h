// IfNull: a value, or the replacement when the value is Null.
#pragma once
#include "platform/db/variant.h"

namespace vts {

// Returns a reference to one of its arguments: keep both alive while the result is used.
inline const db::Variant& IfNull(const db::Variant& value, const db::Variant& replacement) {
    return db::isNull(value) ? replacement : value;
}

}  // namespace vts
