#include "platform/xlsx/sheet_file.h"

#include <xlsxwriter.h>

#include <vector>

#include "platform/shell/errors.h"

namespace vts::xlsx {

struct SheetFile::Handles {
    std::vector<char> tempFolder;  // libxlsxwriter keeps the pointer
    lxw_workbook* book = nullptr;
    lxw_worksheet* sheet = nullptr;
    lxw_format* date = nullptr;  // the workbook's own, freed with it
    lxw_format* time = nullptr;
    lxw_format* dateTime = nullptr;
    ~Handles() {
        if (book) lxw_workbook_free(book);
    }
};

namespace {

[[noreturn]] void fail(const std::string& what, lxw_error err) { throw Error(what + ": " + lxw_strerror(err)); }

}  // namespace

SheetFile::SheetFile(const std::string& path, const std::string& tempFolder)
    : h_(std::make_unique<Handles>()), path_(path) {
    h_->tempFolder.assign(tempFolder.begin(), tempFolder.end());
    h_->tempFolder.push_back('\0');
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = h_->tempFolder.data();
    h_->book = workbook_new_opt(path.c_str(), &options);
    if (h_->book) h_->sheet = workbook_add_worksheet(h_->book, nullptr);
    if (!h_->sheet) throw Error("Cannot start the workbook \"" + path + "\".");
    const auto format = [&](const char* numberFormat) {
        lxw_format* f = workbook_add_format(h_->book);
        if (!f) throw Error("Cannot start the workbook \"" + path + "\".");
        format_set_num_format(f, numberFormat);
        return f;
    };
    h_->date = format("yyyy-mm-dd");
    h_->time = format("hh:mm:ss");
    h_->dateTime = format("yyyy-mm-dd hh:mm:ss");
}

SheetFile::~SheetFile() = default;

void SheetFile::checkCell(long row, long col) {
    if (!h_->book) throw Error("The workbook has already been written.");
    if (row < 0 || row >= kMaxRows || col < 0 || col >= kMaxColumns)
        throw Error("A worksheet has no cell at row " + std::to_string(row + 1) + ", column " +
                    std::to_string(col + 1) + ".");
    if (row < lastRow_) throw Error("Cells must be filled row by row, from the top.");
}

void SheetFile::check(long row, long col, int err, const char* what) {
    if (err != LXW_NO_ERROR)
        fail(std::string("Cannot put the ") + what + " into row " + std::to_string(row + 1) + ", column " +
                 std::to_string(col + 1),
             static_cast<lxw_error>(err));
    lastRow_ = row;
}

void SheetFile::writeText(long row, long col, const std::string& text) {
    checkCell(row, col);
    if (text.find('\0') != std::string::npos) throw Error("A text with a NUL character cannot go into a worksheet.");
    check(row, col,
          worksheet_write_string(h_->sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col), text.c_str(),
                                 nullptr),
          "text");
}

void SheetFile::writeNumber(long row, long col, double value) {
    checkCell(row, col);
    check(row, col,
          worksheet_write_number(h_->sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col), value, nullptr),
          "number");
}

void SheetFile::writeBoolean(long row, long col, bool value) {
    checkCell(row, col);
    check(row, col,
          worksheet_write_boolean(h_->sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col), value ? 1 : 0,
                                  nullptr),
          "logical");
}

void SheetFile::writeDateTime(long row, long col, const DateTime& v, DateFormat format) {
    checkCell(row, col);
    lxw_datetime when{v.year, v.month, v.day, v.hour, v.minute, v.second};
    lxw_format* shown = format == DateFormat::Date ? h_->date : format == DateFormat::Time ? h_->time : h_->dateTime;
    check(row, col,
          worksheet_write_datetime(h_->sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col), &when, shown),
          "date");
}

void SheetFile::setColumnWidth(long col, double width) {
    if (!h_->book) throw Error("The workbook has already been written.");
    const auto c = static_cast<lxw_col_t>(col);
    const lxw_error err = worksheet_set_column(h_->sheet, c, c, width, nullptr);
    if (err != LXW_NO_ERROR) fail("Cannot set the width of column " + std::to_string(col + 1), err);
}

void SheetFile::close() {
    if (!h_->book) return;
    lxw_workbook* book = h_->book;
    h_->book = nullptr;  // workbook_close frees it, whatever the outcome
    const lxw_error err = workbook_close(book);
    if (err != LXW_NO_ERROR) fail("Cannot write the workbook \"" + path_ + "\"", err);
}

}  // namespace vts::xlsx
