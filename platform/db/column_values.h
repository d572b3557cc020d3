// Checks a value typed into the grid against its working column's Jet type and gives the form
// to store, as Jet would refuse "abc" in a number column.
#pragma once
#include <optional>

#include "platform/db/jet_types.h"

#include "platform/pdx/format/types.h"

namespace db {

// Empty text is Null. Throws vts::Error saying why the value does not suit the column.
// A column declared otherwise takes any value as it is.
pdx::Value valueForColumn(const pdx::Value& v, std::optional<JetType> jetType);

}  // namespace db
