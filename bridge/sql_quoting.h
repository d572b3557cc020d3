// Table and column names inside SQL text: the quote character of the quoting is doubled, so a
// name can never end its quoting early or add a statement. Plain names come out unchanged.
#pragma once
#include <string>

namespace vts {

std::string backquoteEscaped(const std::string& name);  // ` becomes ``, for `...` quoting

}  // namespace vts
