// Turns the bytes of one stored record into values (text decoded to UTF-8, blobs fetched from
// the .MB), reusing the strings and buffers already held by the output record.
#pragma once
#include <cstdint>
#include <string>

#include "platform/pdx/read/blob_reader.h"
#include "platform/pdx/format/codepage.h"
#include "platform/pdx/format/header.h"

namespace pdx {

class RecordDecoder {
public:
    RecordDecoder(const TableHeader& header, std::vector<std::string> fieldNames, CodePage& codePage,
                  BlobReader& blobs);
    // Throws pdx::Error naming the field when a value is damaged.
    void decode(const std::uint8_t* record, Record& out);

private:
    void decodeField(const HeaderField& f, const std::uint8_t* p, Value& v);
    void decodeAlpha(const HeaderField& f, const std::uint8_t* p, Value& v);
    void decodeBlob(const HeaderField& f, const std::uint8_t* p, Value& v);

    const TableHeader& header_;
    std::vector<std::string> names_;
    CodePage& codePage_;
    BlobReader& blobs_;
    bool asciiIsPlain_;  // ASCII text needs no conversion in this code page
    std::string raw_;    // stored bytes of a memo before decoding
};

}  // namespace pdx
