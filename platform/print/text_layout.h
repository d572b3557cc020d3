// Setting tab-separated rows as plain text for a CUPS text printer: columns aligned with
// blanks, and the page orientation and character pitch chosen so that a row fits one line.
//
// The CUPS text filter expands a tab to the next multiple of eight columns and wraps a line at
// the page width wherever it falls, so rows whose values differ in length come out ragged and
// cut mid-word. Here every column gets a stop as wide as its longest value instead.
#pragma once
#include <string>
#include <vector>

namespace vts {

// The text filter's page settings ("lp -o ..."): pitch in characters and lines per inch.
struct TextPageSettings {
    bool landscape = false;
    int cpi = 10;
    int lpi = 6;
    bool operator==(const TextPageSettings&) const = default;
};

// Readable limits: the filter's own 10 characters per inch (a 12 pt Courier) down to 20 (6 pt).
inline constexpr int kNormalCpi = 10;
inline constexpr int kSmallestPitchCpi = 20;
// The page margin set on every side, in points.
inline constexpr int kPageMarginPt = 18;
// Blanks between two columns, and before each continuation line of a row that has to wrap.
inline constexpr int kColumnGap = 2;
inline constexpr int kContinuationIndent = 4;

// Characters that fit one line at that pitch on either A4 or US Letter paper (the narrower of
// the two sides for that orientation), within the margins; the text filter truncates its
// column count the same way.
int LineCapacity(bool landscape, int cpi);

// Lines the filter puts on a page at these settings (the shorter of A4 and US Letter upright).
int LinesPerPage(const TextPageSettings& page);

// The lp arguments ("-o", "cpi=12", ...) for these settings: a landscape job gets a turned
// sheet of its own, so that viewers show the page across rather than the text sideways.
std::vector<std::string> TextPrintOptions(const TextPageSettings& page);

// The width of text in character cells: one per code point of its UTF-8.
int TextWidth(const std::string& text);

struct LaidOutText {
    std::string text;  // lines ending in "\n", no tabs
    TextPageSettings page;
};

// Lays out the TXT export's text: lines of values, each value followed by a tab. Portrait at
// the normal pitch when the widest row fits; else landscape at the largest pitch (the least
// reduced size) that fits it. When even 20 characters per inch are too wide, each row wraps
// between columns onto indented continuation lines, so that only a value wider than the page
// is ever cut. Lines without a tab are kept as they are. Pages are turned by form feeds, and
// each page after the first repeats the first row (the column headings).
LaidOutText LayOutTable(const std::string& tabSeparated);

}  // namespace vts
