// Chunked row storage and the key sort: the first 8 key bytes travel with each index as a
// big-endian integer, so most comparisons never touch the rows themselves.
#include "platform/pdx/write/key_sort_writer.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace pdx {

namespace {

constexpr std::size_t kChunkBytes = 4 << 20;

struct SortItem {
    std::uint64_t prefix;  // leading key bytes, big-endian: integer order = byte order
    std::uint32_t index;
};

std::uint64_t keyPrefix(const std::uint8_t* key, std::size_t keySize) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < 8; ++i) v = (v << 8) | (i < keySize ? key[i] : 0);
    return v;
}

}  // namespace

KeyedRows::KeyedRows(std::size_t rowSize, std::size_t keySize)
    : rowSize_(rowSize), keySize_(keySize), perChunk_(std::max<std::size_t>(1, kChunkBytes / rowSize)) {}

std::uint8_t* KeyedRows::add() {
    if (count_ == chunks_.size() * perChunk_)
        chunks_.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(perChunk_ * rowSize_));
    return at(count_++);
}

void KeyedRows::dropLast() {
    if (count_ > 0) --count_;
}

void KeyedRows::clear() {
    chunks_.clear();
    count_ = 0;
}

std::optional<std::vector<std::uint32_t>> KeyedRows::sortedOrder(const KeptOrder* kept, Conflict& conflict) const {
    std::vector<SortItem> items(count_);
    for (std::size_t i = 0; i < count_; ++i) {
        std::uint64_t prefix = keyPrefix(row(i), keySize_);
        if (kept) {
            const auto rank = kept->rank({row(i), keySize_});
            if (!rank) {
                conflict = {i, i};
                return std::nullopt;
            }
            prefix = *rank;
        }
        items[i] = {prefix, static_cast<std::uint32_t>(i)};
    }
    // A rank stands for the whole key; a byte prefix only for its first 8 bytes.
    const std::size_t restSize = !kept && keySize_ > 8 ? keySize_ - 8 : 0;
    // 0 when the keys are equal, as memcmp otherwise.
    const auto compareKeys = [&](const SortItem& a, const SortItem& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
        return restSize ? std::memcmp(row(a.index) + 8, row(b.index) + 8, restSize) : 0;
    };
    std::sort(items.begin(), items.end(), [&](const SortItem& a, const SortItem& b) {
        const int c = compareKeys(a, b);
        return c < 0 || (c == 0 && a.index < b.index);
    });
    for (std::size_t i = 1; i < items.size(); ++i)
        if (compareKeys(items[i - 1], items[i]) == 0) {
            conflict = {items[i - 1].index, items[i].index};
            return std::nullopt;
        }
    std::vector<std::uint32_t> order(count_);
    for (std::size_t i = 0; i < count_; ++i) order[i] = items[i].index;
    return order;
}

std::optional<std::vector<std::uint32_t>> KeyedRows::sortedBy(const ValueCollation& key, CollationSet alive,
                                                              Conflict& conflict) const {
    std::vector<std::uint32_t> order(count_);
    std::iota(order.begin(), order.end(), 0u);
    if (const auto d = sortByCandidates(key, alive, order, [this](std::uint32_t i) { return row(i); })) {
        conflict = {std::min(d->first, d->second), std::max(d->first, d->second), true};
        return std::nullopt;
    }
    for (std::size_t i = 1; i < order.size(); ++i)
        if (std::memcmp(row(order[i - 1]), row(order[i]), keySize_) == 0) {
            conflict = {std::min(order[i - 1], order[i]), std::max(order[i - 1], order[i])};
            return std::nullopt;
        }
    return order;
}

}  // namespace pdx
