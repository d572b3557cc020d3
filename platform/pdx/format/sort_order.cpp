#include "platform/pdx/format/sort_order.h"

#include "platform/shell/ascii_case.h"

namespace pdx {

namespace {

std::string asText(std::span<const std::uint8_t> key) {
    return {reinterpret_cast<const char*>(key.data()), key.size()};
}

}  // namespace

bool ordersByBytes(const std::string& sortOrderId) {
    // Paradox "ascii" (DOS code pages) and "'ascii' ANSI" (Windows code pages) are the binary
    // orders; every keyed table and index of these orders at hand is in byte order.
    const std::string id = vts::asciiLower(sortOrderId);
    return id == "ascii" || id == "dbwinus0";
}

bool keyOrdersByBytes(const Schema& schema) {
    return fieldsOrderByBytes(std::span(schema.fields).first(static_cast<std::size_t>(schema.keyFields)),
                              schema.sortOrderId);
}

void KeptOrder::add(std::span<const std::uint8_t> key) {
    ranks_.try_emplace(asText(key), static_cast<std::uint32_t>(ranks_.size()));
}

std::optional<std::uint32_t> KeptOrder::rank(std::span<const std::uint8_t> key) const {
    const auto it = ranks_.find(asText(key));
    if (it == ranks_.end()) return std::nullopt;
    return it->second;
}

std::vector<const std::uint8_t*> KeptOrder::sequence() const {
    std::vector<const std::uint8_t*> keys(ranks_.size());
    for (const auto& [key, rank] : ranks_) keys[rank] = reinterpret_cast<const std::uint8_t*>(key.data());
    return keys;
}

}  // namespace pdx
