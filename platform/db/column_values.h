// Checks a value typed into the grid against its working column's Jet type and gives the form
// to store, as Jet would refuse "abc" in a number column.
#pragma once
#include <string>

#include "platform/pdx/format/types.h"

namespace db {

// Empty text is Null. Throws vts::Error saying why the value does not suit the column.
pdx::Value valueForColumn(const pdx::Value& v, const std::string& jetType);

}  // namespace db
