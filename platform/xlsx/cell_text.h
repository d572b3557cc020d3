// What a cell text needs before it enters a workbook, and how wide it shows.
#pragma once
#include <string>
#include <string_view>

namespace vts::xlsx {

// Spreadsheet programs read "_xHHHH_" in a cell text as the escape of one character. The
// writer escapes control characters that way but leaves a literal "_xHHHH_" alone, which would
// then come back as one character: its '_' is written as "_x005F_" so the text stays as it is.
std::string ProtectEscapes(std::string_view text);

// The most a cell holds, counted as spreadsheet programs count: in UTF-16 code units, so a
// character outside the Basic Multilingual Plane counts twice.
inline constexpr size_t kMaxCellChars = 32767;

struct FittedText {
    std::string text;      // what goes into the cell, already passed through ProtectEscapes
    size_t kept = 0;       // characters of the original text that it holds
    size_t keptBytes = 0;  // and their length in the original text
    size_t original = 0;   // characters of the original text
    bool cut() const { return kept < original; }
};

// The longest start of text, cut between characters, that a cell holds whole. The writer
// counts the protected text (every character once), the spreadsheet program the value (in
// UTF-16): both must stay within kMaxCellChars.
FittedText FitCellText(std::string_view text);

// The width in characters that shows text whole: its longest line, counted in characters.
size_t DisplayWidth(std::string_view text);

}  // namespace vts::xlsx
