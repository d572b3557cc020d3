#include "platform/xlsx/workbook.h"

#include <algorithm>

#include "platform/xlsx/cell_text.h"

namespace vts::xlsx {

std::string CellReference(long row, long col) {
    std::string letters;
    for (long c = col; c > 0; c = (c - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + std::to_string(row);
}

namespace {

std::string cellName(long row, long col) {
    return "row " + std::to_string(row) + ", column " + std::to_string(col) + " (" + CellReference(row, col) + ")";
}

}  // namespace

void Cell::Value(const std::string& text) {
    if (text.find('\0') != std::string::npos) {
        sheet_.file_.writeText(row_ - 1, col_ - 1, std::string());
        throw CellNotWhole("The text for the cell at " + cellName(row_, col_) +
                           " holds a NUL character, which a worksheet cannot store: the cell is left empty.");
    }
    const FittedText fitted = FitCellText(text);
    sheet_.file_.writeText(row_ - 1, col_ - 1, fitted.text);
    sheet_.noteWidth(col_, DisplayWidth(std::string_view(text).substr(0, fitted.keptBytes)));
    if (fitted.cut())
        throw CellNotWhole("The text for the cell at " + cellName(row_, col_) + " has " +
                           std::to_string(fitted.original) + " characters, more than the " +
                           std::to_string(kMaxCellChars) + " a cell can hold: the cell shows its first " +
                           std::to_string(fitted.kept) + " characters.");
}

void Cell::Number(double value, const std::string& shown) {
    sheet_.file_.writeNumber(row_ - 1, col_ - 1, value);
    sheet_.noteWidth(col_, DisplayWidth(shown));
}

void Cell::Boolean(bool value, const std::string& shown) {
    sheet_.file_.writeBoolean(row_ - 1, col_ - 1, value);
    sheet_.noteWidth(col_, DisplayWidth(shown));
}

void Cell::Date(const SheetFile::DateTime& value, SheetFile::DateFormat format, const std::string& shown) {
    sheet_.file_.writeDateTime(row_ - 1, col_ - 1, value, format);
    sheet_.noteWidth(col_, DisplayWidth(shown));
}

void Worksheet::noteWidth(long col, size_t width) {
    const auto index = static_cast<size_t>(col - 1);
    if (widths_.size() <= index) widths_.resize(index + 1, 0);
    widths_[index] = std::max(widths_[index], width);
}

void Columns::Autofit() {
    const auto& widths = sheet_.widths_;
    for (size_t c = 0; c < widths.size(); ++c) {
        if (widths[c] == 0) continue;
        const double width = std::min(kMaxAutofitWidth, static_cast<double>(widths[c]) + 2);
        sheet_.file_.setColumnWidth(static_cast<long>(c), width);
    }
}

Workbook::Workbook() : file_(folder_.path() + "/Book1.xlsx", folder_.path()), sheet_(file_) {}

const std::string& Workbook::save() {
    if (!saved_) {
        file_.close();
        folder_.makeReadOnly();
        saved_ = true;
    }
    return file_.path();
}

}  // namespace vts::xlsx
