#include "platform/pdx/write/kept_key_order.h"

#include <algorithm>
#include <vector>

#include "platform/pdx/format/codepage.h"
#include "platform/pdx/read/reader.h"
#include "platform/pdx/write/record_writer.h"

namespace pdx {

namespace {

Schema keyPart(const Schema& s) {
    Schema key = s;
    key.fields.resize(static_cast<std::size_t>(s.keyFields));
    return key;
}

bool sameKey(const Schema& a, const Schema& b) {
    const auto k = static_cast<std::size_t>(b.keyFields);
    return a.keyFields == b.keyFields && a.sortOrderId == b.sortOrderId && a.codePage == b.codePage &&
           a.fields.size() >= k && std::equal(b.fields.begin(), b.fields.begin() + b.keyFields, a.fields.begin());
}

}  // namespace

std::optional<KeptOrder> keptKeyOrder(const std::filesystem::path& dbFile, const Schema& schema) {
    TableReader reader(dbFile, {"", true});  // the table being replaced, already opened by the program
    if (schema.keyFields == 0 || !sameKey(reader.info().schema, schema)) return std::nullopt;
    const Schema key = keyPart(schema);
    CodePage codePage(key.codePage, key.sortOrderId);
    RecordEncoder encoder(key, dbFile.stem().string(), codePage, nullptr);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(encoder.recordSize()));
    KeptOrder kept;
    Record r;
    std::uint64_t row = 0;
    while (reader.next(r)) {
        r.resize(key.fields.size());
        encoder.encode(r, ++row, bytes.data());
        kept.add(bytes);
    }
    return kept;
}

}  // namespace pdx
