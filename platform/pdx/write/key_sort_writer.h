// The encoded records of a keyed table, held in large chunks until every record is known,
// then put in key order: the byte order of the leading key bytes, or where the table's sort order
// is not byte order, the order every candidate collation left standing agrees on, or the order an
// existing index gives the keys.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/pdx/format/sort_order.h"
#include "platform/pdx/format/text_collation.h"

namespace pdx {

class KeyedRows {
public:
    KeyedRows(std::size_t rowSize, std::size_t keySize);

    std::uint8_t* add();  // room for one more row (contents undefined)
    void dropLast();
    std::size_t size() const { return count_; }
    const std::uint8_t* row(std::size_t i) const { return chunks_[i / perChunk_].get() + (i % perChunk_) * rowSize_; }
    void clear();

    // Why the rows cannot be put in order: two rows (earlier first) share a key, or one row's
    // key is not in the kept order (second = first), or the candidate collations put two rows'
    // keys either way round (disputed).
    struct Conflict {
        std::size_t first = 0, second = 0;
        bool disputed = false;
        bool unplaced() const { return first == second; }
    };
    // Row indexes in key order, by bytes, or by rank in `kept` when given. Nothing on a conflict.
    std::optional<std::vector<std::uint32_t>> sortedOrder(const KeptOrder* kept, Conflict& conflict) const;
    // Row indexes in the key order every candidate of `alive` agrees on (`key` compares the
    // leading key bytes of rows). Nothing on a conflict.
    std::optional<std::vector<std::uint32_t>> sortedBy(const ValueCollation& key, CollationSet alive,
                                                       Conflict& conflict) const;

private:
    std::uint8_t* at(std::size_t i) { return chunks_[i / perChunk_].get() + (i % perChunk_) * rowSize_; }

    std::size_t rowSize_;
    std::size_t keySize_;
    std::size_t perChunk_;
    std::size_t count_ = 0;
    std::vector<std::unique_ptr<std::uint8_t[]>> chunks_;
};

}  // namespace pdx
