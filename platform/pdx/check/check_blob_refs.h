// Checks the blob descriptors in records (memo, binary, formatted memo, OLE and graphic fields)
// against the table's .MB: each locator must lead inside the file to a block that holds exactly
// that value, of the length the record gives.
#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/pdx/check/check_family.h"
#include "platform/pdx/check/check_findings.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/io/input_file.h"

namespace pdx {

class BlobRefCheck {
public:
    // Checks the .MB header block at once; mb must outlive this.
    BlobRefCheck(const CheckedFile& mb, CheckFindings& out);

    // `stored` is the field's bytes in the record; `where` names the record and field.
    void check(const HeaderField& f, const std::uint8_t* stored, const CheckLocation& where);
    // Adds how many values needed a .MB that is missing.
    void finish();

private:
    struct Value {
        std::uint32_t locator = 0;
        std::uint32_t length = 0;
    };
    void checkSingle(const HeaderField& f, std::uint64_t base, std::uint32_t index, Value v, const CheckLocation& at);
    void checkSlot(const HeaderField& f, std::uint64_t base, std::uint32_t index, Value v, const CheckLocation& at);
    void checkPrefix(const HeaderField& f, const std::uint8_t* data, Value v, const CheckLocation& at);
    bool loadBlock(std::uint64_t base);
    std::string where(std::uint64_t base) const;

    std::filesystem::path name_;
    const InputFile* file_;  // null when missing or unreadable
    bool present_;
    CheckFindings& out_;
    std::uint64_t missingNeeded_ = 0;  // values that needed the missing file
    std::uint64_t cachedBase_ = 0;     // 0: nothing cached (block 0 is the header)
    std::size_t cachedLen_ = 0;
    std::array<std::uint8_t, 4096> cache_{};
};

}  // namespace pdx
