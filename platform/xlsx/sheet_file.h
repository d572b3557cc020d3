// One .xlsx file with one worksheet, written through libxlsxwriter row by row: rows go to disk
// as they are finished, so a large grid does not have to fit in memory.
#pragma once
#include <memory>
#include <string>

namespace vts::xlsx {

inline constexpr long kMaxRows = 1048576;   // a worksheet's rows
inline constexpr long kMaxColumns = 16384;  // and columns

class SheetFile {
public:
    // Starts the file at path, keeping its working files in tempFolder; throws vts::Error.
    SheetFile(const std::string& path, const std::string& tempFolder);
    ~SheetFile();
    SheetFile(const SheetFile&) = delete;
    SheetFile& operator=(const SheetFile&) = delete;

    // row and col are 0-based. Rows must come in order: a row before the newest one written is
    // already on disk. Throws vts::Error instead of dropping a text.
    void writeText(long row, long col, const std::string& text);
    // A number, a logical, or a date and time shown in one of the formats below (a date alone
    // has no time; a time alone has year, month and day 0).
    struct DateTime {
        int year = 0, month = 0, day = 0, hour = 0, minute = 0;
        double second = 0;
    };
    enum class DateFormat { Date, Time, DateTime };
    void writeNumber(long row, long col, double value);
    void writeBoolean(long row, long col, bool value);
    void writeDateTime(long row, long col, const DateTime& value, DateFormat format);
    void setColumnWidth(long col, double width);
    // Writes the file and closes it; nothing can be added afterwards.
    void close();
    const std::string& path() const { return path_; }

private:
    struct Handles;
    std::unique_ptr<Handles> h_;
    std::string path_;
    long lastRow_ = -1;
    void checkCell(long row, long col);
    void check(long row, long col, int err, const char* what);
};

}  // namespace vts::xlsx
