// A workbook of the spreadsheet automation object: one active sheet whose cells receive texts
// and whose columns can be fitted to their contents.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/xlsx/private_folder.h"
#include "platform/xlsx/sheet_file.h"

namespace vts::xlsx {

class Worksheet;

// Cells(row, col) of a sheet, 1-based as spreadsheet programs number them.
class Cell {
public:
    Cell(Worksheet& sheet, long row, long col) : sheet_(sheet), row_(row), col_(col) {}
    void Value(const std::string& text);  // the cell holds text as a string

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
    SheetFile& file_;
    std::vector<size_t> widths_;  // longest text per column so far, in characters
};

class Workbook {
public:
    Workbook();  // a fresh file in a private temporary folder; throws vts::Error
    Worksheet& ActiveSheet() { return sheet_; }

    // Writes the file so that a program can open it; the folder stays when keep is called.
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
