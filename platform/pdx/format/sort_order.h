// Which declared sort orders the engine places keys by, and the order of an existing index, kept
// for keys it cannot place itself.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/pdx/format/types.h"

namespace pdx {

// True when the sort order (header item 7, e.g. "ascii") puts keys in the byte order of their
// stored form, as checked against real tables. Other orders are collations the engine does not
// implement: keys are then only ever placed where an existing index already put them.
bool ordersByBytes(const std::string& sortOrderId);

// True when values of these fields (anything with a FieldType `type`) are ordered by the bytes of
// their stored form: always when none of them holds text, whose order alone the sort order
// decides; otherwise as ordersByBytes(sortOrderId).
template <class Fields>
bool fieldsOrderByBytes(const Fields& fields, const std::string& sortOrderId) {
    for (const auto& f : fields)
        if (f.type == FieldType::Alpha) return ordersByBytes(sortOrderId);
    return true;
}
// The same for the schema's key fields.
bool keyOrdersByBytes(const Schema& schema);

// The positions of the keys of an existing index or keyed table, in its order, so the same keys
// can be written again in the same order.
class KeptOrder {
public:
    // Call in the existing order; a key seen before keeps its first position.
    void add(std::span<const std::uint8_t> key);
    // The key's position, or nothing for a key the existing index does not hold.
    std::optional<std::uint32_t> rank(std::span<const std::uint8_t> key) const;
    std::size_t size() const { return ranks_.size(); }
    // The keys in their order.
    std::vector<const std::uint8_t*> sequence() const;

private:
    std::unordered_map<std::string, std::uint32_t> ranks_;
};

}  // namespace pdx
