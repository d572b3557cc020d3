// A workbook of the spreadsheet automation object: one active sheet whose cells receive texts
// and whose columns can be fitted to their contents.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/shell/errors.h"
#include "platform/xlsx/private_folder.h"
#include "platform/xlsx/sheet_file.h"

namespace vts::xlsx {

class Worksheet;

// A text that its cell cannot hold whole. The cell already holds what it can, so the rest of
// the sheet is unharmed; what() names the cell and says what was left out.
class CellNotWhole : public Error {
public:
    using Error::Error;
};

// "C5" for row 5, column 3.
std::string CellReference(long row, long col);

// Cells(row, col) of a sheet, 1-based as spreadsheet programs number them.
class Cell {
public:
    Cell(Worksheet& sheet, long row, long col) : sheet_(sheet), row_(row), col_(col) {}
    // The cell holds text as a string. A text longer than a cell holds is cut to the longest
    // start that fits and one with a NUL character leaves the cell empty; both then throw
    // CellNotWhole. Other failures throw vts::Error and leave the cell untouched.
    void Value(const std::string& text);
    // The same cell holding a number, a logical or a date; `shown` is the grid's text of it, for
    // the column's width.
    void Number(double value, const std::string& shown);
    void Boolean(bool value, const std::string& shown);
    void Date(const SheetFile::DateTime& value, SheetFile::DateFormat format, const std::string& shown);

private:
    Worksheet& sheet_;
    long row_, col_;
};

// Columns() of a sheet.
class Columns {
public:
    explicit Columns(Worksheet& sheet) : sheet_(sheet) {}
    // Every column that holds a text gets the width of its longest text plus a margin, at most
    // kMaxAutofitWidth characters; empty columns keep the default width.
    void Autofit();

private:
    Worksheet& sheet_;
};

inline constexpr double kMaxAutofitWidth = 80;

class Worksheet {
public:
    explicit Worksheet(SheetFile& file) : file_(file) {}
    Cell Cells(long row, long col) { return Cell(*this, row, col); }
    xlsx::Columns Columns() { return xlsx::Columns(*this); }

private:
    friend class Cell;
    friend class xlsx::Columns;
    void noteWidth(long col, size_t width);
    SheetFile& file_;
    std::vector<size_t> widths_;  // longest text per column so far, in characters
};

class Workbook {
public:
    Workbook();  // a fresh file in a private temporary folder; throws vts::Error
    Worksheet& ActiveSheet() { return sheet_; }

    // Writes the file and makes it and its folder read-only, so that a program showing it
    // cannot save over it; the folder stays when keep is called.
    const std::string& save();
    void keep() { folder_.keep(); }
    bool saved() const { return saved_; }

private:
    PrivateFolder folder_;
    SheetFile file_;
    Worksheet sheet_;
    bool saved_ = false;
};

}  // namespace vts::xlsx
