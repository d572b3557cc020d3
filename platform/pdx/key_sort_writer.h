// The encoded records of a keyed table, held in large chunks until every record is known,
// then put in key order (byte order of the leading key bytes).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace pdx {

class KeyedRows {
public:
    KeyedRows(std::size_t rowSize, std::size_t keySize);

    std::uint8_t* add();  // room for one more row (contents undefined)
    void dropLast();
    std::size_t size() const { return count_; }
    const std::uint8_t* row(std::size_t i) const { return chunks_[i / perChunk_].get() + (i % perChunk_) * rowSize_; }
    void clear();

    // Row indexes in key order. When two rows share a key, stops and returns false with
    // their indexes (earlier first) in `duplicate`.
    bool sortedOrder(std::vector<std::uint32_t>& order, std::pair<std::size_t, std::size_t>& duplicate) const;

private:
    std::uint8_t* at(std::size_t i) { return chunks_[i / perChunk_].get() + (i % perChunk_) * rowSize_; }

    std::size_t rowSize_;
    std::size_t keySize_;
    std::size_t perChunk_;
    std::size_t count_ = 0;
    std::vector<std::unique_ptr<std::uint8_t[]>> chunks_;
};

}  // namespace pdx
