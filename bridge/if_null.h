// IfNull: a value, or the replacement when the value is Null.
#pragma once
#include "platform/db/variant.h"

namespace vts {

inline db::Variant IfNull(const db::Variant& value, const db::Variant& replacement) {
    return db::isNull(value) ? replacement : value;
}

}  // namespace vts
