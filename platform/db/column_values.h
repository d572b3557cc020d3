// Checks a value typed into the grid against its working column's Jet type and gives the form
// to store, as Jet would refuse "abc" in a number column.
#pragma once
#include <string>

#include "platform/db/variant.h"

namespace db {

// Empty text is Null. Throws vts::Error saying why the value does not suit the column.
Variant valueForColumn(const Variant& v, const std::string& jetType);

}  // namespace db
