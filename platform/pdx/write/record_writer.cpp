// Field encodings of a level-5 record (see the field type table of the format notes).
#include "platform/pdx/write/record_writer.h"

#include <cmath>
#include <cstring>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/header.h"

namespace pdx {

namespace {

constexpr int kBlobTail = 10;  // locator u32, length u32, modification number u16

const char* kindName(const Value& v) {
    static constexpr const char* kNames[] = {"blank", "an integer", "a number", "a logical",   "text",
                                             "bytes", "a date",     "a time",   "a timestamp", "a decimal"};
    return kNames[v.index()];
}

bool isPrintableAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

// An integer held by a double, when it is exactly one.
bool exactInteger(double d, std::int64_t& out) {
    if (!std::isfinite(d) || d != std::trunc(d) || std::fabs(d) >= 9.2e18) return false;
    out = static_cast<std::int64_t>(d);
    return true;
}

// A double holding exactly the integer i.
bool exactDouble(std::int64_t i, double& out) {
    constexpr std::int64_t kExact = std::int64_t{1} << 53;
    if (i > kExact || i < -kExact) return false;
    out = static_cast<double>(i);
    return true;
}

template <std::size_t N>
void put(const std::array<std::uint8_t, N>& bytes, std::uint8_t* out) {
    std::memcpy(out, bytes.data(), N);
}

}  // namespace

RecordEncoder::RecordEncoder(const Schema& schema, std::string tableName, CodePage& codePage, MbWriter* mb)
    : tableName_(std::move(tableName)), codePage_(codePage), mb_(mb) {
    for (const Field& f : schema.fields) {
        const int size = fieldStorageSize(f.type, f.size);
        if (isBlobType(f.type)) blobs_.push_back({static_cast<int>(slots_.size()), {}, false});
        slots_.push_back({&f, recordSize_, size});
        recordSize_ += size;
    }
    std::string printable;
    for (char c = 0x20; c <= 0x7E; ++c) printable += c;
    try {
        asciiIsIdentity_ = codePage_.encode(printable) == printable;
    } catch (const Error&) {
        asciiIsIdentity_ = false;
    }
}

void RecordEncoder::fail(const Slot& s, const std::string& what) const {
    throw Error("table " + tableName_ + ", row " + std::to_string(row_) + ", field \"" + s.field->name + "\": " + what);
}

void RecordEncoder::wrongKind(const Slot& s, const Value& v) const {
    fail(s, std::string("a ") + typeName(s.field->type) + " field cannot hold " + kindName(v));
}

void RecordEncoder::encode(const Record& r, std::uint64_t rowNumber, std::uint8_t* row) {
    row_ = rowNumber;
    if (r.size() != slots_.size())
        throw Error("table " + tableName_ + ", row " + std::to_string(rowNumber) + ": " + std::to_string(r.size()) +
                    " values for " + std::to_string(slots_.size()) + " fields");
    std::memset(row, 0, static_cast<std::size_t>(recordSize_));
    auto blob = blobs_.begin();
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        const bool isBlob = blob != blobs_.end() && blob->slot == static_cast<int>(i);
        encodeField(slots_[i], r[i], row + slots_[i].offset, isBlob ? &*blob : nullptr);
        if (isBlob) ++blob;
    }
}

void RecordEncoder::storeBlobs(std::uint8_t* row) {
    for (PendingBlob& b : blobs_) {
        const Slot& s = slots_[static_cast<std::size_t>(b.slot)];
        if (b.inUse) storeBlob(s, b, row + s.offset);
        b.inUse = false;
    }
}

void RecordEncoder::encodeField(const Slot& s, const Value& v, std::uint8_t* out, PendingBlob* blob) {
    if (blob) return prepareBlob(s, v, *blob);
    if (isNull(v)) return;  // blank: all bytes zero
    switch (s.field->type) {
        case FieldType::Alpha: {
            const auto* text = std::get_if<std::string>(&v);
            if (!text) wrongKind(s, v);
            encodeText(s, *text, text_);
            if (text_.size() > static_cast<std::size_t>(s.size))
                fail(s, "the text needs " + std::to_string(text_.size()) + " bytes, the field holds " +
                            std::to_string(s.size));
            if (text_.find('\0') != std::string::npos) fail(s, "the text contains a NUL character");
            std::memcpy(out, text_.data(), text_.size());
            return;
        }
        case FieldType::Short:
        case FieldType::Long:
        case FieldType::AutoInc: return encodeInteger(s, v, out);
        case FieldType::Number:
        case FieldType::Currency: return encodeDoubleField(s, v, out);
        case FieldType::Date:
            if (const auto* d = std::get_if<Date>(&v)) return guarded(s, [&] { put(encodeDate(*d), out); });
            wrongKind(s, v);
        case FieldType::Time:
            if (const auto* t = std::get_if<Time>(&v)) return guarded(s, [&] { put(encodeTime(*t), out); });
            wrongKind(s, v);
        case FieldType::Timestamp:
            if (const auto* t = std::get_if<Timestamp>(&v)) return guarded(s, [&] { put(encodeTimestamp(*t), out); });
            wrongKind(s, v);
        case FieldType::Logical:
            if (const auto* b = std::get_if<bool>(&v)) {
                *out = encodeLogical(*b);
                return;
            }
            wrongKind(s, v);
        case FieldType::Bcd: return encodeBcdField(s, v, out);
        case FieldType::Bytes: return encodeFixedBytes(s, v, out);
        default: wrongKind(s, v);
    }
}

void RecordEncoder::encodeText(const Slot& s, const std::string& text, std::string& out) {
    if (asciiIsIdentity_ && isPrintableAscii(text)) {
        out.assign(text);
        return;
    }
    guarded(s, [&] { out = codePage_.encode(text); });
}

void RecordEncoder::encodeInteger(const Slot& s, const Value& v, std::uint8_t* out) {
    std::int64_t i = 0;
    if (const auto* p = std::get_if<std::int64_t>(&v)) {
        i = *p;
    } else if (const auto* d = std::get_if<double>(&v); !d || !exactInteger(*d, i)) {
        if (d) fail(s, "the number " + std::to_string(*d) + " is not a whole number");
        wrongKind(s, v);
    }
    guarded(s, [&] {
        if (s.field->type == FieldType::Short) put(encodeShort(i), out);
        else put(encodeLong(i), out);
    });
    if (s.field->type == FieldType::AutoInc && i > 0 && static_cast<std::uint32_t>(i) > maxAutoInc_)
        maxAutoInc_ = static_cast<std::uint32_t>(i);
}

void RecordEncoder::encodeDoubleField(const Slot& s, const Value& v, std::uint8_t* out) {
    double d = 0;
    if (const auto* p = std::get_if<double>(&v)) {
        d = *p;
    } else if (const auto* i = std::get_if<std::int64_t>(&v); !i || !exactDouble(*i, d)) {
        if (i) fail(s, "the integer " + std::to_string(*i) + " has more digits than a Number can hold");
        wrongKind(s, v);
    }
    guarded(s, [&] { put(encodeDouble(d), out); });
}

void RecordEncoder::encodeBcdField(const Slot& s, const Value& v, std::uint8_t* out) {
    std::string text;
    if (const auto* dec = std::get_if<Decimal>(&v)) {
        text = dec->text;
    } else if (const auto* i = std::get_if<std::int64_t>(&v)) {
        text = std::to_string(*i);
    } else {
        wrongKind(s, v);
    }
    guarded(s, [&] { put(encodeBcd(text, s.field->size), out); });
}

void RecordEncoder::encodeFixedBytes(const Slot& s, const Value& v, std::uint8_t* out) {
    const auto* bytes = std::get_if<Bytes>(&v);
    if (!bytes) wrongKind(s, v);
    if (bytes->size() > static_cast<std::size_t>(s.size))
        fail(s, std::to_string(bytes->size()) + " bytes do not fit a Bytes field of " + std::to_string(s.size));
    if (!bytes->empty()) std::memcpy(out, bytes->data(), bytes->size());
}

// Converts the value to its stored bytes; the .MB is written later by storeBlob().
void RecordEncoder::prepareBlob(const Slot& s, const Value& v, PendingBlob& blob) {
    blob.bytes.clear();
    blob.inUse = false;
    if (isNull(v)) return;
    if (s.field->type == FieldType::Memo) {
        const auto* text = std::get_if<std::string>(&v);
        if (!text) wrongKind(s, v);
        encodeText(s, *text, text_);
        blob.bytes.assign(text_.begin(), text_.end());
    } else {
        const auto* bytes = std::get_if<Bytes>(&v);
        if (!bytes) wrongKind(s, v);
        blob.bytes.assign(bytes->begin(), bytes->end());
    }
    const std::size_t n = blob.bytes.size();
    if (n > 0xFFFFFFF0u) fail(s, "the value is too large for a Paradox table");
    const std::size_t leader = static_cast<std::size_t>(s.size - kBlobTail);
    const bool picture = s.field->type == FieldType::Graphic || s.field->type == FieldType::Ole;
    if (picture && n > leader && (n < 8 || loadLE32(blob.bytes.data() + 4) != n - 8))
        fail(s, "the value lacks the 8-byte header that stored Graphic and OLE values start with");
    blob.inUse = n > 0;
}

// Leader (first bytes; for Graphic the picture after its 8-byte header) and the descriptor tail.
void RecordEncoder::storeBlob(const Slot& s, const PendingBlob& blob, std::uint8_t* out) {
    const std::size_t n = blob.bytes.size();
    const std::size_t leader = static_cast<std::size_t>(s.size - kBlobTail);
    std::uint8_t* tail = out + leader;
    storeLE32(static_cast<std::uint32_t>(n), tail + 4);
    if (n <= leader) {
        std::memcpy(out, blob.bytes.data(), n);
        return;
    }
    const std::size_t skip = s.field->type == FieldType::Graphic ? 8 : 0;
    std::memcpy(out, blob.bytes.data() + skip, std::min(leader, n - skip));
    storeLE32(mb_->put(blob.bytes.data(), n), tail);
    storeLE16(MbWriter::kModNumber, tail + 8);
}

}  // namespace pdx
