// One pass over the records in chain order.
#include "platform/pdx/check/check_records.h"

#include <cstdio>
#include <optional>

#include "platform/pdx/check/check_key_order.h"
#include "platform/pdx/format/codec.h"

namespace pdx {

namespace {

std::string hexByte(std::uint8_t b) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", b);
    return buf;
}

struct AutoIncPeak {
    std::int64_t value = 0;
    std::size_t field = 0;
    std::uint64_t row = 0;
};

class RecordPass {
public:
    RecordPass(const RecordCheckInput& in, CheckFindings& out)
        : in_(in), out_(out), keys_(in.header, in.db.path(), out) {
        for (const CheckedBlock& b : in.chain) result_.blocks.push_back(IndexedBlock{b.number, b.records, {}});
        result_.byteOrder = keys_.byteOrder();
    }

    RecordCheckResult run() {
        std::size_t pos = 0;
        forEachRecord(in_.db, in_.layout, in_.chain,
                      [&](const CheckedBlock& b, std::uint32_t i, std::uint64_t row, const std::uint8_t* rec) {
                          while (result_.blocks[pos].number != b.number) ++pos;
                          record(result_.blocks[pos], i, row, rec);
                      });
        keys_.finish();
        in_.blobs.finish();
        checkAutoIncCounter();
        return std::move(result_);
    }

private:
    void record(IndexedBlock& block, std::uint32_t i, std::uint64_t row, const std::uint8_t* rec) {
        const auto& h = in_.header;
        if (h.keyFields > 0) {
            const auto& last = h.fields[static_cast<std::size_t>(h.keyFields) - 1];
            std::string key(reinterpret_cast<const char*>(rec),
                            static_cast<std::size_t>(last.offset + last.storedSize));
            keys_.add(key, block.number, i + 1, row);
            if (i == 0) block.firstKey = std::move(key);
        }
        for (std::size_t f = 0; f < h.fields.size(); ++f) value(f, block.number, i, row, rec + h.fields[f].offset);
    }

    CheckLocation at(std::size_t f, std::uint16_t block, std::uint32_t i, std::uint64_t row) const {
        return atRecord(in_.db.path(), block, i + 1, row, in_.fieldNames[f]);
    }

    void value(std::size_t f, std::uint16_t block, std::uint32_t i, std::uint64_t row, const std::uint8_t* p) {
        const HeaderField& field = in_.header.fields[f];
        switch (field.type) {
            case FieldType::Logical:
                if (p[0] != 0 && p[0] != kLogicalFalse && p[0] != kLogicalTrue)
                    out_.fault(at(f, block, i, row),
                               "the logical value " + hexByte(p[0]) + " is neither false (0x80) nor true (0x81)");
                return;
            case FieldType::Bcd:
                if (p[0] != 0 && (p[0] & 0x3F) > kBcdDigits)
                    out_.fault(at(f, block, i, row),
                               "the BCD value claims " + std::to_string(p[0] & 0x3F) + " decimals (at most 32)");
                return;
            case FieldType::AutoInc:
                if (!isAllZero(p, 4) && decodeLong(p) > peak_.value) peak_ = AutoIncPeak{decodeLong(p), f, row};
                return;
            case FieldType::Memo:
            case FieldType::Binary:
            case FieldType::FmtMemo:
            case FieldType::Ole:
            case FieldType::Graphic: in_.blobs.check(field, p, at(f, block, i, row)); return;
            default: return;
        }
    }

    // New records get the counter + 1: a counter below a stored value hands that number out again.
    void checkAutoIncCounter() {
        if (in_.header.versionByte < 0x05 || peak_.row == 0) return;
        if (peak_.value <= static_cast<std::int64_t>(in_.header.autoIncCounter)) return;
        out_.fault(atFile(in_.db.path()),
                   "the autoincrement counter (0x49) is " + std::to_string(in_.header.autoIncCounter) +
                       ", but field \"" + in_.fieldNames[peak_.field] + "\" holds " + std::to_string(peak_.value) +
                       " in row " + std::to_string(peak_.row) + ": new records would repeat numbers");
    }

    const RecordCheckInput& in_;
    CheckFindings& out_;
    KeyOrderCheck keys_;
    RecordCheckResult result_;
    AutoIncPeak peak_;
};

}  // namespace

RecordCheckResult checkRecords(const RecordCheckInput& in, CheckFindings& out) { return RecordPass(in, out).run(); }

}  // namespace pdx
