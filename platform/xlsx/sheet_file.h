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
    void setColumnWidth(long col, double width);
    // Writes the file and closes it; nothing can be added afterwards.
    void close();
    const std::string& path() const { return path_; }

private:
    struct Handles;
    std::unique_ptr<Handles> h_;
    std::string path_;
    long lastRow_ = -1;
};

}  // namespace vts::xlsx
