// Field-by-field decoding of stored records.
#include "platform/pdx/read/record_decoder.h"

#include <cstring>

#include "platform/pdx/format/codec.h"

namespace pdx {

namespace {

constexpr int kBlobTail = 10;  // locator u32, length u32, modification number u16

// The variant's alternative T, keeping its heap buffer when it already holds one.
template <class T>
T& reuse(Value& v) {
    if (auto* held = std::get_if<T>(&v)) return *held;
    return v.emplace<T>();
}

}  // namespace

RecordDecoder::RecordDecoder(const TableHeader& header, std::vector<std::string> fieldNames, CodePage& codePage,
                             BlobReader& blobs)
    : header_(header),
      names_(std::move(fieldNames)),
      codePage_(codePage),
      blobs_(blobs),
      asciiIsPlain_(codePage.asciiIsPlain()) {}

void RecordDecoder::decode(const std::uint8_t* record, Record& out) {
    const auto& fields = header_.fields;
    out.resize(fields.size());
    std::size_t i = 0;
    try {
        for (; i < fields.size(); ++i) decodeField(fields[i], record + fields[i].offset, out[i]);
    } catch (const Error& e) {
        throw Error("field \"" + names_[i] + "\" (" + typeName(fields[i].type) + "): " + e.what());
    }
}

void RecordDecoder::decodeAlpha(const HeaderField& f, const std::uint8_t* p, Value& v) {
    // One pass finds the end of the text and whether it is plain ASCII.
    const auto size = static_cast<std::size_t>(f.size);
    std::size_t len = 0;
    std::uint8_t high = 0;
    while (len < size && p[len] != 0) high |= p[len++];
    if (len == 0) {
        v = std::monostate{};
        return;
    }
    const auto* text = reinterpret_cast<const char*>(p);
    if (high < 0x80 && asciiIsPlain_) reuse<std::string>(v).assign(text, len);
    else codePage_.decode(text, len, reuse<std::string>(v));
}

void RecordDecoder::decodeField(const HeaderField& f, const std::uint8_t* p, Value& v) {
    switch (f.type) {
        case FieldType::Alpha: return decodeAlpha(f, p, v);
        case FieldType::Logical:
            if (p[0] == 0) v = std::monostate{};
            else v = decodeLogical(p[0]);
            return;
        case FieldType::Bcd:
            if (p[0] == 0) v = std::monostate{};
            else reuse<Decimal>(v).text = decodeBcd(p, f.size);
            return;
        case FieldType::Memo:
        case FieldType::Binary:
        case FieldType::FmtMemo:
        case FieldType::Ole:
        case FieldType::Graphic: return decodeBlob(f, p, v);
        default: break;
    }
    if (isAllZero(p, static_cast<std::size_t>(f.storedSize))) {
        v = std::monostate{};
        return;
    }
    switch (f.type) {
        case FieldType::Short: v = std::int64_t{decodeShort(p)}; return;
        case FieldType::Long:
        case FieldType::AutoInc: v = std::int64_t{decodeLong(p)}; return;
        case FieldType::Currency:
        case FieldType::Number: v = decodeDouble(p); return;
        case FieldType::Date: v = decodeDate(p); return;
        case FieldType::Time: v = decodeTime(p); return;
        case FieldType::Timestamp: v = decodeTimestamp(p); return;
        case FieldType::Bytes: reuse<Bytes>(v).assign(p, p + f.storedSize); return;
        default: throw Error("unsupported field type");
    }
}

void RecordDecoder::decodeBlob(const HeaderField& f, const std::uint8_t* p, Value& v) {
    const std::uint8_t* tail = p + f.size - kBlobTail;
    const std::uint32_t locator = loadLE32(tail);
    const std::uint32_t length = loadLE32(tail + 4);
    if (length == 0) {
        v = std::monostate{};
        return;
    }
    const auto leader = static_cast<std::uint32_t>(f.size - kBlobTail);
    if (f.type == FieldType::Memo) {
        if (length <= leader) raw_.assign(reinterpret_cast<const char*>(p), length);
        else blobs_.read(locator, length, raw_);
        codePage_.decode(raw_.data(), raw_.size(), reuse<std::string>(v));
        return;
    }
    auto& bytes = reuse<Bytes>(v);
    if (length <= leader) bytes.assign(p, p + length);
    else blobs_.read(locator, length, bytes);
}

}  // namespace pdx
