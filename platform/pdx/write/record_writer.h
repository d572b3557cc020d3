// Turns one Record into the fixed-size record bytes of a level-5 table, storing its blob
// values in the .MB. Values that the field cannot hold exactly are refused, never altered.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/pdx/format/codepage.h"
#include "platform/pdx/write/mb_writer.h"
#include "platform/pdx/format/types.h"

namespace pdx {

class RecordEncoder {
public:
    // `tableName` appears in error messages. `mb` may be null when no field is a blob.
    RecordEncoder(const Schema& schema, std::string tableName, CodePage& codePage, MbWriter* mb);

    int recordSize() const { return recordSize_; }
    // Writes r into row[0, recordSize), except the blob descriptors. Throws pdx::Error naming
    // table, row and field; touches no file, so a refused record changes nothing.
    void encode(const Record& r, std::uint64_t rowNumber, std::uint8_t* row);
    // Then stores the record's blob values in the .MB and completes their descriptors.
    void storeBlobs(std::uint8_t* row);
    // Largest AutoInc value seen (0 if none).
    std::uint32_t maxAutoInc() const { return maxAutoInc_; }

private:
    struct Slot {
        const Field* field;
        int offset;
        int size;  // bytes in the record
    };
    struct PendingBlob {
        int slot;
        std::vector<std::uint8_t> bytes;  // reused between records
        bool inUse = false;
    };

    void encodeField(const Slot& s, const Value& v, std::uint8_t* out, PendingBlob* blob);
    void encodeText(const Slot& s, const std::string& text, std::string& out);
    void encodeInteger(const Slot& s, const Value& v, std::uint8_t* out);
    void encodeDoubleField(const Slot& s, const Value& v, std::uint8_t* out);
    void encodeBcdField(const Slot& s, const Value& v, std::uint8_t* out);
    void encodeFixedBytes(const Slot& s, const Value& v, std::uint8_t* out);
    void prepareBlob(const Slot& s, const Value& v, PendingBlob& blob);
    void storeBlob(const Slot& s, const PendingBlob& blob, std::uint8_t* out);
    [[noreturn]] void fail(const Slot& s, const std::string& what) const;
    // Runs an encoder, adding table, row and field to the error it throws.
    template <typename Encode>
    void guarded(const Slot& s, Encode encode) const {
        try {
            encode();
        } catch (const Error& e) {
            fail(s, e.what());
        }
    }
    [[noreturn]] void wrongKind(const Slot& s, const Value& v) const;

    std::string tableName_;
    CodePage& codePage_;
    MbWriter* mb_;
    bool asciiIsIdentity_ = false;  // printable ASCII passes through the code page unchanged
    std::vector<Slot> slots_;
    std::vector<PendingBlob> blobs_;
    int recordSize_ = 0;
    std::uint64_t row_ = 0;
    std::uint32_t maxAutoInc_ = 0;
    std::string text_;  // reused encoding buffer
};

}  // namespace pdx
