#include "platform/print/text_layout.h"

#include <algorithm>
#include <sstream>

#include "platform/shell/utf8_text.h"

namespace vts {

namespace {

// Paper sides in points: A4 is the narrower sheet, US Letter the shorter one. A landscape job
// is printed on an A4 sheet turned (its own media), so that the page turns, not the text.
constexpr int kPortraitWidthPt = 595;    // A4
constexpr int kPortraitHeightPt = 792;   // US Letter
constexpr int kLandscapeWidthPt = 792;   // US Letter, turned
constexpr int kLandscapeHeightPt = 595;  // A4, turned
constexpr const char* kLandscapeMedia = "media=Custom.842x595";

using Cells = std::vector<std::string>;

struct Line {
    bool isRow = false;  // false: a line without a tab, printed as it is
    Cells cells;         // the values, or the line itself
};

std::vector<Line> ParseLines(const std::string& text) {
    std::vector<Line> lines;
    std::istringstream in(text);
    for (std::string raw; std::getline(in, raw);) {
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        Line line;
        line.isRow = raw.find('\t') != std::string::npos;
        std::istringstream fields(raw);
        for (std::string cell; std::getline(fields, cell, '\t');) line.cells.push_back(cell);
        if (!line.isRow) line.cells = {raw};
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<int> ColumnWidths(const std::vector<Line>& lines) {
    std::vector<int> widths;
    for (const Line& line : lines) {
        if (!line.isRow) continue;
        if (line.cells.size() > widths.size()) widths.resize(line.cells.size(), 0);
        for (size_t k = 0; k < line.cells.size(); ++k) widths[k] = std::max(widths[k], TextWidth(line.cells[k]));
    }
    return widths;
}

// The first code points of text that fill width cells, and what is left.
std::pair<std::string, std::string> SplitAtWidth(const std::string& text, int width) {
    size_t at = 0;
    for (int seen = 0; at < text.size(); ++at) {
        if (!startsCharacter(text[at])) continue;
        if (seen++ == width) break;
    }
    return {text.substr(0, at), text.substr(at)};
}

void Pad(std::string& line, int column) {
    const int width = TextWidth(line);
    if (width < column) line.append(static_cast<size_t>(column - width), ' ');
}

void TrimEnd(std::string& line) { line.erase(line.find_last_not_of(' ') + 1); }

// Columns [first, last) on one line, each at its stop, starting at column indent.
std::string JoinCells(const Cells& cells, const std::vector<int>& widths, size_t first, size_t last, int indent) {
    std::string line(static_cast<size_t>(indent), ' ');
    int column = indent;
    for (size_t k = first; k < last; ++k) {
        Pad(line, column);
        if (k < cells.size()) line += cells[k];
        column += widths[k] + kColumnGap;
    }
    TrimEnd(line);
    return line;
}

int WidestRow(const std::vector<Line>& lines, const std::vector<int>& widths) {
    int widest = 0;
    for (const Line& line : lines)
        if (line.isRow) widest = std::max(widest, TextWidth(JoinCells(line.cells, widths, 0, widths.size(), 0)));
    return widest;
}

TextPageSettings Settings(bool landscape, int cpi) {
    return {landscape, cpi, (cpi * 6 + 5) / 10};  // lines keep the normal 10:6 proportion
}

// Portrait when it fits at the normal pitch, else landscape at the largest pitch that fits.
TextPageSettings ChoosePage(int widest) {
    if (widest <= LineCapacity(false, kNormalCpi)) return Settings(false, kNormalCpi);
    for (int cpi = kNormalCpi; cpi < kSmallestPitchCpi; ++cpi)
        if (widest <= LineCapacity(true, cpi)) return Settings(true, cpi);
    return Settings(true, kSmallestPitchCpi);
}

// Consecutive columns grouped so that each group fits one line: [first, last) pairs.
std::vector<std::pair<size_t, size_t>> Bands(const std::vector<int>& widths, int capacity) {
    std::vector<std::pair<size_t, size_t>> bands;
    for (size_t k = 0; k < widths.size();) {
        const size_t first = k;
        int end = (bands.empty() ? 0 : kContinuationIndent) + widths[k++];
        while (k < widths.size() && end + kColumnGap + widths[k] <= capacity) end += kColumnGap + widths[k++];
        bands.emplace_back(first, k);
    }
    return bands;
}

// One line per band (a band that is empty in this row is left out), and a value wider than
// the page cut into pieces of the page's width, each on a line of its own.
void AppendWrappedRow(std::string& out, const Cells& cells, const std::vector<int>& widths, int capacity) {
    const auto bands = Bands(widths, capacity);
    for (size_t b = 0; b < bands.size(); ++b) {
        const int indent = b == 0 ? 0 : kContinuationIndent;
        std::string line = JoinCells(cells, widths, bands[b].first, bands[b].second, indent);
        if (b > 0 && line.empty()) continue;
        const std::string margin(static_cast<size_t>(kContinuationIndent), ' ');
        while (TextWidth(line) > capacity) {
            auto [head, rest] = SplitAtWidth(line, capacity);
            out += head + "\n";
            line = margin + rest;
        }
        out += line + "\n";
    }
}

int LineCount(const std::string& block) { return static_cast<int>(std::count(block.begin(), block.end(), '\n')); }

// Blocks on pages, a row's lines kept together where they fit a page; each page after the first
// opens with a form feed and the heading (the first block) again. A page is left one line short
// of the filter's: a form feed after a page filled to its last line would leave a blank page, and
// one short page fits US Letter and A4 alike, whichever the queue's paper is.
std::string Paginate(const std::vector<std::string>& blocks, bool heading, int linesPerPage) {
    const int room = std::max(1, linesPerPage - 1);
    std::string out;
    int used = 0;
    for (size_t i = 0; i < blocks.size(); ++i) {
        const int lines = LineCount(blocks[i]);
        if (i > 0 && used > 0 && used + lines > room) {
            out += '\f';
            used = 0;
            if (heading && LineCount(blocks[0]) + lines <= room) {
                out += blocks[0];
                used = LineCount(blocks[0]);
            }
        }
        out += blocks[i];
        used += lines;
        if (used > linesPerPage) used = (used - 1) % linesPerPage + 1;  // a block longer than a page
    }
    return out;
}

}  // namespace

int LinesPerPage(const TextPageSettings& page) {
    const int usable = (page.landscape ? kLandscapeHeightPt : kPortraitHeightPt) - 2 * kPageMarginPt;
    return usable * page.lpi / 72;
}

int LineCapacity(bool landscape, int cpi) {
    const int usable = (landscape ? kLandscapeWidthPt : kPortraitWidthPt) - 2 * kPageMarginPt;
    return usable * cpi / 72;
}

std::vector<std::string> TextPrintOptions(const TextPageSettings& page) {
    std::vector<std::string> args;
    const auto option = [&](const std::string& value) {
        args.push_back("-o");
        args.push_back(value);
    };
    if (page.landscape) option(kLandscapeMedia);
    option("cpi=" + std::to_string(page.cpi));
    option("lpi=" + std::to_string(page.lpi));
    for (const char* side : {"left", "right", "top", "bottom"})
        option(std::string("page-") + side + "=" + std::to_string(kPageMarginPt));
    return args;
}

int TextWidth(const std::string& text) { return static_cast<int>(characterCount(text)); }

LaidOutText LayOutTable(const std::string& tabSeparated) {
    const std::vector<Line> lines = ParseLines(tabSeparated);
    const std::vector<int> widths = ColumnWidths(lines);
    const int widest = WidestRow(lines, widths);
    LaidOutText result{{}, ChoosePage(widest)};
    const int capacity = LineCapacity(result.page.landscape, result.page.cpi);
    std::vector<std::string> blocks;  // each source line as printed: one line, or a wrapped row
    for (const Line& line : lines) {
        std::string& block = blocks.emplace_back();
        if (!line.isRow) block = line.cells.front() + "\n";
        else if (widest <= capacity) block = JoinCells(line.cells, widths, 0, widths.size(), 0) + "\n";
        else AppendWrappedRow(block, line.cells, widths, capacity);
    }
    result.text = Paginate(blocks, !lines.empty() && lines.front().isRow, LinesPerPage(result.page));
    return result;
}

}  // namespace vts
