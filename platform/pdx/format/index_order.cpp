// Comparison of index values: stored bytes, with ASCII letters folded for case-insensitive indexes.
#include "platform/pdx/format/index_order.h"

#include <algorithm>

#include "platform/pdx/format/header.h"

namespace pdx {

namespace {

int storedSize(const Field& f) { return fieldStorageSize(f.type, f.size); }

bool isLowerAscii(std::uint8_t c) { return c >= 'a' && c <= 'z'; }

// Bytes whose place against letters depends on which way letters are folded, or on a
// code-page table this program does not have.
bool foldDependent(std::uint8_t c) { return c >= 0x80 || (c >= 0x5B && c <= 0x60); }

}  // namespace

std::size_t indexedBytes(const std::vector<Field>& fields) {
    std::size_t total = 0;
    for (const Field& f : fields) total += static_cast<std::size_t>(storedSize(f));
    return total;
}

Bytes comparedBytes(const std::vector<Field>& fields, bool caseInsensitive, const std::uint8_t* values) {
    Bytes out(values, values + indexedBytes(fields));
    if (!caseInsensitive) return out;
    std::size_t at = 0;
    for (const Field& f : fields) {
        const auto size = static_cast<std::size_t>(storedSize(f));
        if (f.type == FieldType::Alpha)
            for (std::size_t i = at; i < at + size; ++i)
                if (isLowerAscii(out[i])) out[i] = static_cast<std::uint8_t>(out[i] - 'a' + 'A');
        at += size;
    }
    return out;
}

bool foldIsPlain(const std::vector<Field>& fields, const std::uint8_t* values) {
    std::size_t at = 0;
    for (const Field& f : fields) {
        const auto size = static_cast<std::size_t>(storedSize(f));
        if (f.type == FieldType::Alpha && std::any_of(values + at, values + at + size, foldDependent)) return false;
        at += size;
    }
    return true;
}

}  // namespace pdx
