// What a cell text needs before it enters a workbook, and how wide it shows.
#pragma once
#include <string>
#include <string_view>

namespace vts::xlsx {

// Spreadsheet programs read "_xHHHH_" in a cell text as the escape of one character. The
// writer escapes control characters that way but leaves a literal "_xHHHH_" alone, which would
// then come back as one character: its '_' is written as "_x005F_" so the text stays as it is.
std::string ProtectEscapes(std::string_view text);

// The width in characters that shows text whole: its longest line, counted in characters.
size_t DisplayWidth(std::string_view text);

}  // namespace vts::xlsx
