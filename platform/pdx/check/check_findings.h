// What a table check finds: faults (damage) and notes (what it could not check), each with the
// place it concerns, collected up to a limit so a wrecked file cannot flood the report.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pdx {

struct CheckLocation {
    enum class Item : std::uint8_t { None, Record, Entry };
    std::filesystem::path file;
    std::uint32_t block = 0;       // 1-based block of that file; 0 for the file as a whole
    Item item = Item::None;        // a record of a table block or an entry of an index block
    std::uint32_t itemNumber = 0;  // 1-based inside the block
    std::uint64_t row = 0;         // 1-based record of the table in chain order; 0 if none
    std::string field;             // field name (UTF-8); empty if none
};

struct CheckFinding {
    enum class Kind : std::uint8_t { Fault, Note };
    Kind kind = Kind::Fault;
    CheckLocation where;
    std::string what;
};

// "ORDERS.DB block 3 record 2 (row 58) field \"Name\"".
std::string describeLocation(const CheckLocation& where);
// One line: location, then "fault:" or "note:", then the description.
std::string formatFinding(const CheckFinding& finding);

class CheckFindings {
public:
    // Faults beyond the limit are counted, not kept; one note then says how many were left out.
    explicit CheckFindings(std::size_t faultLimit = 2000) : limit_(faultLimit) {}

    void fault(CheckLocation where, std::string what);
    void note(CheckLocation where, std::string what);
    void add(CheckFinding finding);

    std::size_t faultCount() const { return faults_; }
    // The findings in the order found, closed by a note on `file` telling how many faults were
    // left out, where any were.
    std::vector<CheckFinding> take(const std::filesystem::path& file);

private:
    std::vector<CheckFinding> items_;
    std::size_t limit_;
    std::size_t faults_ = 0;
};

// Places in a file, for brevity where findings are raised.
inline CheckLocation atFile(const std::filesystem::path& file) { return CheckLocation{file}; }
inline CheckLocation atBlock(const std::filesystem::path& file, std::uint32_t block) {
    return CheckLocation{file, block};
}
inline CheckLocation atEntry(const std::filesystem::path& file, std::uint32_t block, std::uint32_t entry) {
    return CheckLocation{file, block, CheckLocation::Item::Entry, entry};
}
inline CheckLocation atRecord(const std::filesystem::path& file, std::uint32_t block, std::uint32_t record,
                              std::uint64_t row, std::string field = {}) {
    return CheckLocation{file, block, CheckLocation::Item::Record, record, row, std::move(field)};
}

}  // namespace pdx
