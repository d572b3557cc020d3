// IfNull: a value, or the replacement when the value is Null.
#pragma once
#include "platform/pdx/format/types.h"

namespace vts {

// Returns a reference to one of its arguments: keep both alive while the result is used.
inline const pdx::Value& IfNull(const pdx::Value& value, const pdx::Value& replacement) {
    return pdx::isNull(value) ? replacement : value;
}

}  // namespace vts
