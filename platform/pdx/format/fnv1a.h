// FNV-1a, 64 bits: a quick fingerprint of bytes (a change check, a name tag), never a defence
// against someone who wants a collision.
#pragma once
#include <cstdint>
#include <string_view>

namespace pdx {

constexpr std::uint64_t kFnvStart = 1469598103934665603ull;

// Continues `h` over the bytes; start with kFnvStart.
inline std::uint64_t fnv1a(std::string_view bytes, std::uint64_t h = kFnvStart) {
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return h;
}

}  // namespace pdx
